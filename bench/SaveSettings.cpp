// Times saves of the sealed settings for two documents that re-indenting used to hurt: a
// 31 KB indented one and a deeply nested one. Prints, for each, the size of config.xml, the
// size of the saved text and the median time of one change and save.
// Usage: bench_save_settings [COUNT]
#include "config/VORNXMLSecureConfig.h"
#include "platform/BinaryFile.h"
#include "platform/FixedMachineIdentity.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string IndentedDocument(std::size_t bytes) {
    std::string document = "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<VORNClientConfig>\n"
                           "    <Style ConPrompt=\"true\" AutoLogon=\"false\"/>\n    <Log>\n";
    for (int i = 0; document.size() < bytes; ++i) {
        document += "        <UserInfo Username=\"user" + std::to_string(i) +
                    "\" Access=\"domestic\" Password=\"password-" + std::to_string(i) + "\"/>\n";
    }
    return document + "    </Log>\n</VORNClientConfig>\n";
}

std::string NestedDocument(int depth) {
    std::string document =
        "<VORNClientConfig><Style ConPrompt=\"true\" AutoLogon=\"false\"/><Log/>";
    for (int i = 0; i < depth; ++i) {
        document += "<n>";
    }
    for (int i = 0; i < depth; ++i) {
        document += "</n>";
    }
    return document + "</VORNClientConfig>";
}

bool Measure(const char* name, const std::string& document, int count) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vorn-bench-save-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const platform::CFixedMachineIdentity machine("3d1219c7c4c5404aaa1f6d2a48adfda4");
    bool done = platform::WriteFileAtomically(folder / "config.xml", document, 0600);
    config::CVORNXMLSecureConfig store(folder, machine);
    done = done && store.Open();
    std::vector<double> millis;
    for (int i = 0; done && i < count; ++i) {
        config::UserInfo user;
        user.username.Assign("bench");
        user.access = i % 2;
        const auto start = std::chrono::steady_clock::now();
        done = store.AddUser(user) && store.Save();
        millis.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::string saved;
    done = done && store.GetXml(saved);
    std::filesystem::remove_all(folder);
    if (!done) {
        std::fprintf(stderr, "%s: %s\n", name, store.Problem().c_str());
        return false;
    }
    std::nth_element(millis.begin(), millis.begin() + count / 2, millis.end());
    std::printf("%s: config.xml %zu bytes, saved %zu bytes, median save %.2f ms over %d\n", name,
                document.size(), saved.size(), millis[static_cast<std::size_t>(count / 2)], count);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::stoi(argv[1])) : 20;
    const bool indented =
        Measure("indented 31 KB", IndentedDocument(std::size_t{31} * 1024), count);
    const bool nested = Measure("nested 1000 deep", NestedDocument(1000), count);
    return indented && nested ? 0 : 1;
}
