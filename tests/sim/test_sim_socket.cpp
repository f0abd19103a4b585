// The socket endpoint end to end: the real bisora-sim program as a child process and the
// host's link on socket:PATH. Every wait is for an event (attach, detach, a reply, the child's
// exit), never a fixed sleep.
#include "SimCheck.h"
#include "SimRig.h"
#include "SimSocketServer.h"
#include "SocketHidPlatform.h"

#include <csignal>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string tempDir()
{
    char name[] = "/tmp/bisora-sim-XXXXXX";
    const char* dir = ::mkdtemp(name);
    return dir ? dir : "/tmp";
}

bool socketExists(const std::string& path)
{
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

// bisora-sim with its standard input on a pipe, so the test can type commands.
class SimProcess
{
public:
    SimProcess(const std::string& path, std::vector<std::string> extra = {})
    {
        int in[2];
        if (::pipe(in) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(in[0], 0);
            ::close(in[0]);
            ::close(in[1]);
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, 1);
            std::vector<std::string> args = {BISORA_SIM_PATH, "--listen", path, "--no-live"};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        m_stdin = in[1];
    }
    ~SimProcess() { stop(); }

    bool type(const std::string& line)
    {
        const std::string text = line + "\n";
        return ::write(m_stdin, text.data(), text.size()) == ssize_t(text.size());
    }

    // SIGTERM and wait for the exit; the exit status (0 for a clean stop).
    int stop()
    {
        if (m_pid <= 0)
            return -1;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        ::close(m_stdin);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
};

void hostAttachesExchangesAndFollowsTheServer()
{
    const std::string path = tempDir() + "/b.sock";
    SimHost host(makeSocketPlatform("socket:" + path));
    auto server = std::make_unique<SimProcess>(path, std::vector<std::string>{"--no-timing"});
    CHECK(host.waitAttached(std::chrono::seconds(10)));
    CHECK_EQ(host.exchange(query("EVH:Z1A.CEID")), std::string("EVH:Z1A.CEID=110\r\nOK\r\n"));
    CHECK_EQ(host.exchange(setLine("EVH:Z1A.CEID", "131")), std::string("EVH:Z1A.CEID=131\r\nOK\r\n"));
    CHECK_EQ(host.exchange(query("EVH:Z1A.CEID")), std::string("EVH:Z1A.CEID=131\r\nOK\r\n"));
    host.statusSlot->WriteText("R");
    CHECK(host.status.waitContains("{T4B="));

    // Commands on its standard input reach the host.
    CHECK(server->type("input 3 0"));
    CHECK(host.event.waitContains("<SIM_B> (Zone 3 alarm)\r\n"));
    CHECK(host.status.waitContains("{IN3=0}"));
    CHECK(server->type("unplug"));
    CHECK(host.states.waitCount(2));
    CHECK_EQ(host.states.states().back(), std::string("Detached"));
    CHECK(!socketExists(path));
    CHECK(server->type("plug"));
    CHECK(host.states.waitCount(3));
    CHECK(host.waitAttached());
    CHECK_EQ(host.exchange(query("EVH:Z1A.CEID")), std::string("EVH:Z1A.CEID=131\r\nOK\r\n"));

    // The program ending is a detach, and its socket goes with it.
    CHECK_EQ(server->stop(), 0);
    CHECK(host.states.waitCount(4));
    CHECK_EQ(host.states.states().back(), std::string("Detached"));
    CHECK(!socketExists(path));

    // Restarted, with its default store and the normal timing, it is found again.
    server = std::make_unique<SimProcess>(path);
    CHECK(host.states.waitCount(5, std::chrono::seconds(10)));
    CHECK(host.waitAttached());
    CHECK_EQ(host.exchange(query("EVH:Z1A.CEID")), std::string("EVH:Z1A.CEID=110\r\nOK\r\n"));
    CHECK_EQ(host.states.states(), (std::vector<std::string>{"Attached", "Detached", "Attached",
                                                             "Detached", "Attached"}));
    CHECK_EQ(server->stop(), 0);
}

void secondHostIsTurnedAway()
{
    const std::string path = tempDir() + "/b.sock";
    SimProcess server(path, {"--no-timing"});
    SimHost first(makeSocketPlatform(path));
    CHECK(first.waitAttached(std::chrono::seconds(10)));
    CHECK_EQ(first.exchange(query("REL:MODE.A1")), std::string("REL:MODE.A1=1\r\nOK\r\n"));
    {
        SimHost second(makeSocketPlatform(path));
        // The second host's connection is closed at once, so whatever it saw ends detached.
        CHECK(second.states.waitCount(1, std::chrono::seconds(10)));
        CHECK_EQ(second.states.states().front(), std::string("Attached"));
        CHECK(second.states.waitCount(2));
    }
    CHECK_EQ(first.exchange(query("REL:MODE.A2")), std::string("REL:MODE.A2=2\r\nOK\r\n"));
}

void staleSocketIsReplacedOtherFilesAreNot()
{
    const std::string dir = tempDir();
    const std::string file = dir + "/not-a-socket";
    { std::FILE* f = std::fopen(file.c_str(), "w"); if (f) std::fclose(f); }
    auto device = std::make_shared<SimDevice>(fastOptions());
    std::string error;
    {
        SimSocketServer server(device, file);
        CHECK(!server.start(error));
        CHECK(!error.empty());
    }
    struct stat info{};
    CHECK(::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode));

    const std::string path = dir + "/b.sock";
    {
        SimSocketServer first(device, path);
        CHECK(first.start(error));
        CHECK(socketExists(path));
        SimSocketServer second(device, path); // the first one is taken for dead
        CHECK(second.start(error));
        second.stop();
        CHECK(!socketExists(path));
    }
    CHECK(!SimSocketServer(device, dir + "/" + std::string(200, 'x')).start(error));
}

// The server's care for its own wake-ups must never make the device faster than its model:
// each exchange still takes its 6 request reports, the think time and its reply report.
void timedExchangesOverTheSocketKeepTheirFloor()
{
    auto options = fastOptions();
    options.timing = {std::chrono::microseconds(1000), std::chrono::microseconds(1000)};
    auto device = std::make_shared<SimDevice>(options);
    const std::string path = tempDir() + "/b.sock";
    SimSocketServer server(device, path);
    std::string error;
    CHECK(server.start(error));
    SimHost host(makeSocketPlatform(path));
    CHECK(host.waitAttached(std::chrono::seconds(10)));
    constexpr int exchanges = 10;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < exchanges; ++i)
        CHECK_EQ(host.exchange(query("REL:MODE.A1")), std::string("REL:MODE.A1=1\r\nOK\r\n"));
    CHECK(std::chrono::steady_clock::now() - start >= exchanges * std::chrono::milliseconds(8));
}

} // namespace

int main()
{
    std::signal(SIGPIPE, SIG_IGN);
    const simcheck::Test tests[] = {
        {"hostAttachesExchangesAndFollowsTheServer", hostAttachesExchangesAndFollowsTheServer},
        {"secondHostIsTurnedAway", secondHostIsTurnedAway},
        {"staleSocketIsReplacedOtherFilesAreNot", staleSocketIsReplacedOtherFilesAreNot},
        {"timedExchangesOverTheSocketKeepTheirFloor", timedExchangesOverTheSocketKeepTheirFloor},
    };
    return simcheck::runTests(tests);
}
