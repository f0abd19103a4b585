// Measures, outside ctest: Close latency while searching (hidapi) and while attached (socket
// endpoint, in-process server), and the CPU time the idle hidapi search costs per second.
// Usage: link_measure [idle-seconds]

#include "ConnHIDCOM.h"
#include "HidapiPlatform.h"
#include "Recorders.h"
#include "SocketHidPlatform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double closeMs(ConnHIDCOM& connection)
{
    const auto start = Clock::now();
    connection.Close();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void printStats(const char* what, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    double sum = 0;
    for (double s : samples)
        sum += s;
    std::printf("%s: n=%zu mean %.2f ms, median %.2f ms, max %.2f ms\n", what, samples.size(),
                sum / static_cast<double>(samples.size()), samples[samples.size() / 2],
                samples.back());
}

} // namespace

int main(int argc, char** argv)
{
    const double idleSeconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    auto hidapi = makeHidapiPlatform();

    {
        ConnHIDCOM connection(hidapi);
        connection.Open();
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // past the first enumeration
        const double cpuBefore = cpuSeconds();
        const auto wallBefore = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
        const double cpu = cpuSeconds() - cpuBefore;
        const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
        std::printf("idle search (hidapi, attached=%d): %.3f ms CPU per second over %.1f s\n",
                    connection.IsAttached() ? 1 : 0, 1000.0 * cpu / wall, wall);
    }

    std::vector<double> searching;
    for (int i = 0; i < 20; ++i) {
        ConnHIDCOM connection(hidapi);
        connection.Open();
        std::this_thread::sleep_for(std::chrono::milliseconds(25 + i));
        searching.push_back(closeMs(connection));
    }
    printStats("Close while searching (hidapi)", searching);

    // Attached: the socket endpoint with a server in this process.
    const std::string path = "/tmp/pragant-measure-" + std::to_string(getpid()) + ".sock";
    const int server = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    unlink(path.c_str());
    if (bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || listen(server, 4) != 0) {
        std::perror("server");
        return 1;
    }
    std::vector<double> attached;
    for (int i = 0; i < 20; ++i) {
        RecordingListener listener;
        ConnHIDCOM connection(makeSocketPlatform(path));
        connection.stateListeners.append(&listener);
        connection.Open();
        const int client = accept(server, nullptr, nullptr);
        if (!listener.waitEvents(1)) {
            std::fprintf(stderr, "not attached\n");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + i));
        attached.push_back(closeMs(connection));
        close(client);
    }
    printStats("Close while attached (socket endpoint)", attached);
    close(server);
    unlink(path.c_str());
    return 0;
}
