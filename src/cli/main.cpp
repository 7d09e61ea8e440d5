#include "cli/Vornctl.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return cli::CVornctl(stdout, stderr).Run(arguments);
}
