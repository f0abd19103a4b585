#include "SimSocketServer.h"

#include "SimDevice.h"

#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// How often the idle server looks at the cable when it is unplugged or between connections.
constexpr int kIdlePollMs = 50;

bool readable(int fd)
{
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

bool sendAll(int fd, const Report& report)
{
    std::size_t sent = 0;
    while (sent < report.size()) {
        const ssize_t n = ::send(fd, report.data() + sent, report.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += std::size_t(n);
    }
    return true;
}

} // namespace

SimSocketServer::SimSocketServer(std::shared_ptr<SimDevice> device, std::string path)
    : m_device(std::move(device))
    , m_path(std::move(path))
{
}

SimSocketServer::~SimSocketServer()
{
    stop();
}

void SimSocketServer::setLogger(std::function<void(const std::string&)> logger)
{
    m_logger = std::move(logger);
}

void SimSocketServer::log(const std::string& line)
{
    if (m_logger)
        m_logger(line);
}

bool SimSocketServer::start(std::string& error)
{
    if (m_thread.joinable()) {
        error = "already serving";
        return false;
    }
    sockaddr_un address{};
    if (m_path.empty() || m_path.size() >= sizeof address.sun_path) {
        error = "socket path is empty or too long: " + m_path;
        return false;
    }
    struct stat info{};
    if (::lstat(m_path.c_str(), &info) == 0 && !S_ISSOCK(info.st_mode)) {
        error = m_path + " exists and is not a socket";
        return false;
    }
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0) {
        error = std::strerror(errno);
        return false;
    }
    ::unlink(m_path.c_str()); // a socket left by a server that died
    if (!openListener(error)) {
        ::close(m_wakeFd);
        m_wakeFd = -1;
        return false;
    }
    m_stopping = false;
    m_thread = std::thread(&SimSocketServer::run, this);
    return true;
}

void SimSocketServer::stop()
{
    if (!m_thread.joinable())
        return;
    m_stopping = true;
    ::unlink(m_path.c_str()); // as on unplug: gone before the host sees the detach
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    m_thread.join();
    closeListener();
    ::close(m_wakeFd);
    m_wakeFd = -1;
}

bool SimSocketServer::openListener(std::string& error)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, m_path.data(), m_path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::listen(fd, 4) != 0) {
        error = "cannot listen at " + m_path + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    m_listenFd = fd;
    log("listening at " + m_path);
    return true;
}

void SimSocketServer::closeListener()
{
    if (m_listenFd < 0)
        return;
    ::close(m_listenFd);
    m_listenFd = -1;
    ::unlink(m_path.c_str());
    log("socket removed");
}

void SimSocketServer::run()
{
    while (!m_stopping) {
        const bool plugged = m_device->isPlugged();
        if (!plugged)
            closeListener();
        else if (m_listenFd < 0) {
            std::string error;
            if (!openListener(error))
                log(error);
        }
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {m_listenFd, POLLIN, 0}};
        const int count = m_listenFd >= 0 ? 2 : 1;
        if (::poll(fds, nfds_t(count), kIdlePollMs) <= 0 || fds[0].revents)
            continue;
        if (count == 2 && (fds[1].revents & POLLIN)) {
            const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0)
                serve(fd);
        }
    }
}

// Host-to-device reports are read here; device-to-host reports are written by a second
// thread that waits on the device. Either side ending ends both.
void SimSocketServer::serve(int fd)
{
    const auto session = m_device->newSession();
    if (session == 0) {
        ::close(fd);
        return;
    }
    m_connected = true;
    log("host connected");
    std::atomic<bool> cancelled{false};
    bool unplugged = false; // the writer's; read after the join
    std::thread writer([&] {
        Report report{};
        while (m_device->hostRead(session, report, cancelled) > 0 && sendAll(fd, report)) {
        }
        // Unplugged: the socket goes before the connection, so the host that sees the detach
        // cannot find the device again in between.
        if (!m_device->isPlugged()) {
            ::unlink(m_path.c_str());
            unplugged = true;
        }
        ::shutdown(fd, SHUT_RDWR);
    });

    Report report{};
    std::size_t have = 0;
    bool waiting = false; // the next report was there when the one before it was taken
    while (!m_stopping) {
        pollfd fds[3] = {{fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}, {m_listenFd, POLLIN, 0}};
        if (::poll(fds, m_listenFd >= 0 ? 3 : 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents)
            break;
        if (m_listenFd >= 0 && (fds[2].revents & POLLIN)) {
            // One host at a time: a second one is turned away at once rather than left hanging.
            const int extra = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (extra >= 0) {
                ::close(extra);
                log("refused a second connection");
            }
        }
        if (!fds[0].revents)
            continue;
        const ssize_t n = ::recv(fd, report.data() + have, report.size() - have, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;
        have += std::size_t(n);
        if (have == report.size()) {
            have = 0;
            if (!m_device->hostWrite(session, report, waiting))
                break;
            waiting = readable(fd);
        }
    }
    cancelled = true;
    m_device->wakeReaders();
    ::shutdown(fd, SHUT_RDWR);
    writer.join();
    ::close(fd);
    m_device->endSession(session);
    if (unplugged)
        closeListener(); // its file is gone; a plug makes a new one
    m_connected = false;
    log("host disconnected");
}
