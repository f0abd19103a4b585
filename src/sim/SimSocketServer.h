#pragma once
// Serves one simulated device on a UNIX stream socket, one connection at a time: each report
// travels as exactly 65 bytes in both directions. The socket file exists only while the device
// is plugged in, so hosts see it come and go; a connection is one attachment.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class SimDevice;

class SimSocketServer
{
public:
    SimSocketServer(std::shared_ptr<SimDevice> device, std::string path);
    ~SimSocketServer(); // stops and removes the socket file
    SimSocketServer(const SimSocketServer&) = delete;
    SimSocketServer& operator=(const SimSocketServer&) = delete;

    // Removes a stale socket left at the path (never any other kind of file), starts listening
    // and serving. False with a reason when the path cannot be served.
    bool start(std::string& error);
    void stop();

    bool connected() const { return m_connected.load(); }
    // Called from the server's threads with one line per connection event.
    void setLogger(std::function<void(const std::string&)> logger);

private:
    void run();
    bool openListener(std::string& error);
    void closeListener();
    void serve(int fd);
    void log(const std::string& line);

    std::shared_ptr<SimDevice> m_device;
    std::string m_path;
    std::function<void(const std::string&)> m_logger;
    int m_listenFd = -1;
    int m_wakeFd = -1; // eventfd: readable once stop() was called
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_connected{false};
    std::thread m_thread;
};
