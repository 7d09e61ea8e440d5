// Times connect exchanges through the gateway client against a running server and prints
// one duration in microseconds a line, then the median.
// Usage: bench_connect_exchanges HOST PORT TRUST_FILE USER PASSWORD COUNT
#include "gateway/QELOpenSSLVORNClient.h"
#include "platform/ScriptedMessageBox.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: %s HOST PORT TRUST_FILE USER PASSWORD COUNT\n", argv[0]);
        return 64;
    }
    const gateway::GatewayServer server{argv[1], static_cast<std::uint16_t>(std::stoi(argv[2]))};
    platform::CScriptedMessageBox messageBox;
    gateway::CQELOpenSSLVORNClient client(server, messageBox, {argv[3]});
    client.SetUserName(argv[4]);
    client.SetPassword(argv[5]);
    client.SetRange(gateway::RANGE_FREE);
    const int count = std::stoi(argv[6]);

    std::vector<double> micros;
    for (int i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const bool done = client.DoOperation(gateway::OP_CONNECT);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (!done) {
            std::fprintf(stderr, "exchange %d failed: %.*s\n", i,
                         static_cast<int>(client.GetMessage().size()), client.GetMessage().data());
            return 1;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(elapsed).count());
    }
    for (const double value : micros) {
        std::printf("%.1f\n", value);
    }
    std::nth_element(micros.begin(), micros.begin() + count / 2, micros.end());
    std::fprintf(stderr, "client median: %.1f us over %d exchanges\n", micros[count / 2], count);
    return 0;
}
