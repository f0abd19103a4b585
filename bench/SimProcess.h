#pragma once
// bisora-sim as a child process serving the device on a UNIX socket, driven through its
// standard input (plug, unplug).

#include <string>
#include <sys/types.h>

class SimProcess
{
public:
    SimProcess() = default;
    ~SimProcess(); // quits the child, or ends it if it does not go
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts `program --listen socketPath --no-live` (timing model on) and waits until the
    // socket is served. False with a reason when it does not come up.
    bool start(const std::string& program, const std::string& socketPath, std::string& error);
    bool command(const std::string& line); // one control line on the child's input
    // Waits until the socket exists (or is gone) at the path.
    bool waitForSocket(bool present, int timeoutMs) const;
    void stop();

private:
    pid_t m_pid = -1;
    int m_input = -1;
    std::string m_path;
};
