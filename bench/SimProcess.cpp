#include "SimProcess.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

bool socketExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

bool reaped(pid_t pid, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

} // namespace

SimProcess::~SimProcess() { stop(); }

bool SimProcess::start(const std::string& program, const std::string& socketPath,
                       std::string& error)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = "no pipe for bisora-sim";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args = {program, "--listen", socketPath, "--no-live"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[0]);
    if (rc != 0) {
        ::close(pipeFds[1]);
        m_pid = -1;
        error = "cannot start " + program;
        return false;
    }
    m_input = pipeFds[1];
    m_path = socketPath;
    if (!waitForSocket(true, 5000)) {
        error = "bisora-sim did not serve " + socketPath;
        stop();
        return false;
    }
    return true;
}

bool SimProcess::command(const std::string& line)
{
    if (m_input < 0)
        return false;
    const std::string text = line + "\n";
    return ::write(m_input, text.data(), text.size()) == ssize_t(text.size());
}

bool SimProcess::waitForSocket(bool present, int timeoutMs) const
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (socketExists(m_path) != present) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void SimProcess::stop()
{
    if (m_pid <= 0)
        return;
    command("quit");
    if (!reaped(m_pid, 2000)) {
        ::kill(m_pid, SIGTERM);
        if (!reaped(m_pid, 2000)) {
            ::kill(m_pid, SIGKILL);
            reaped(m_pid, 2000);
        }
    }
    m_pid = -1;
    if (m_input >= 0)
        ::close(m_input);
    m_input = -1;
}
