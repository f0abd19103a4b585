// bisora-sim: one simulated Bisora served on a UNIX socket for hosts that reach it as
// --device socket:PATH. Controls come from standard input, one command a line.
#include "SimControl.h"
#include "SimDevice.h"
#include "SimSocketServer.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <sys/prctl.h>
#include <signal.h>
#include <unistd.h>
#include <string>
#include <string_view>
#include <thread>

namespace {

constexpr const char* kUsage =
    "usage: bisora-sim --listen PATH [options]\n"
    "  --listen PATH            serve the device on a UNIX socket at PATH\n"
    "  --verbose                log what the device receives and sends\n"
    "  --password PW            the user password (default 5827)\n"
    "  --require-login          property access only after a login\n"
    "  --no-timing              no report pacing and no think time\n"
    "  --report-interval-us N   time per report in each direction (default 1000)\n"
    "  --think-us N             time after a request before the reply (default 1000)\n"
    "  --packing MODE           stream, frames[:1|2], chunk:N, random[:SEED]\n"
    "  --no-live                do not tick the clock and uptimes\n"
    "  --help                   this text\n"
    "Commands on standard input (help lists them): unplug, plug, input 3 0, signal 17, ...\n";

std::mutex outputMutex;

void say(const std::string& line)
{
    std::lock_guard lock(outputMutex);
    std::cout << line << std::endl;
}

std::optional<long> microseconds(const char* text)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (!*text || *end || value < 0 || value > 10'000'000)
        return std::nullopt;
    return value;
}

struct Config {
    std::string path;
    bool verbose = false;
    SimOptions options;
};

// nullopt with a message printed when the command line is wrong; exits for --help.
std::optional<Config> parse(int argc, char** argv)
{
    Config c;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needs = [&]() {
            if (!value)
                std::cerr << "bisora-sim: " << arg << " needs a value\n";
            return value != nullptr;
        };
        if (arg == "--help") {
            std::cout << kUsage;
            std::exit(0);
        } else if (arg == "--verbose") {
            c.verbose = true;
        } else if (arg == "--require-login") {
            c.options.requireLogin = true;
        } else if (arg == "--no-live") {
            c.options.liveStatus = false;
        } else if (arg == "--no-timing") {
            c.options.timing = {std::chrono::microseconds(0), std::chrono::microseconds(0)};
        } else if (arg == "--listen" || arg == "--password") {
            if (!needs())
                return std::nullopt;
            (arg == "--listen" ? c.path : c.options.password) = value;
            ++i;
        } else if (arg == "--report-interval-us" || arg == "--think-us") {
            if (!needs())
                return std::nullopt;
            const auto us = microseconds(value);
            if (!us) {
                std::cerr << "bisora-sim: bad " << arg << " value '" << value << "'\n";
                return std::nullopt;
            }
            auto& field = arg == "--think-us" ? c.options.timing.thinkTime
                                              : c.options.timing.reportInterval;
            field = std::chrono::microseconds(*us);
            ++i;
        } else if (arg == "--packing") {
            if (!needs())
                return std::nullopt;
            const auto packing = SimPacking::parse(value);
            if (!packing) {
                std::cerr << "bisora-sim: bad packing '" << value << "'\n";
                return std::nullopt;
            }
            c.options.packing = *packing;
            ++i;
        } else {
            std::cerr << "bisora-sim: unknown option " << arg << "\n" << kUsage;
            return std::nullopt;
        }
    }
    if (c.path.empty()) {
        std::cerr << kUsage;
        return std::nullopt;
    }
    return c;
}

} // namespace

int main(int argc, char** argv)
{
    const auto config = parse(argc, argv);
    if (!config)
        return 2;

    // The timing model paces reports to the microsecond; the default 50 us timer slack of
    // every sleep would add up to a visible fraction of each 1 ms report. Threads inherit it.
    prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);

    // Every thread inherits the mask, so only the sigwait below sees these.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    auto device = std::make_shared<SimDevice>(config->options);
    SimSocketServer server(device, config->path);
    if (config->verbose) {
        device->setLogger([](const std::string& line) { say("device: " + line); });
        server.setLogger([](const std::string& line) { say("server: " + line); });
    }
    std::string error;
    if (!server.start(error)) {
        std::cerr << "bisora-sim: " << error << "\n";
        return 1;
    }
    say("bisora-sim: serving at " + config->path + " (type help for commands)");

    // End of input leaves the device running: a rig may start it with no terminal at all.
    std::thread commands([device] {
        for (std::string line; std::getline(std::cin, line);) {
            const auto result = runSimCommand(*device, line);
            if (!result.text.empty())
                say(result.text);
            if (result.quit) {
                ::kill(::getpid(), SIGTERM);
                return;
            }
        }
    });
    commands.detach();

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
    say("bisora-sim: stopped");
    std::cout.flush();
    std::_Exit(0); // the command thread may still be blocked reading standard input
}
