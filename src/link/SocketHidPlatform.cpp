#include "SocketHidPlatform.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

class SocketConnection
{
public:
    explicit SocketConnection(int fd)
        : fd(fd)
    {
    }
    ~SocketConnection() { ::close(fd); }
    SocketConnection(const SocketConnection&) = delete;
    SocketConnection& operator=(const SocketConnection&) = delete;

    static std::shared_ptr<SocketConnection> connectTo(const std::string& path)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.empty() || path.size() >= sizeof address.sun_path)
            return nullptr;
        std::memcpy(address.sun_path, path.data(), path.size());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return nullptr;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            return nullptr;
        }
        return std::make_shared<SocketConnection>(fd);
    }

    bool isBroken() const { return broken; }

    // One whole report, or -1 on end of stream, error or cancel (cancelFd readable).
    int read(Report& report, int cancelFd)
    {
        std::size_t have = 0;
        while (have < report.size()) {
            pollfd fds[2] = {{fd, POLLIN, 0}, {cancelFd, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                broken = true;
                return -1;
            }
            if (fds[1].revents)
                return -1;
            if (!fds[0].revents)
                continue;
            const ssize_t n = ::recv(fd, report.data() + have, report.size() - have, 0);
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n <= 0) {
                broken = true;
                return -1;
            }
            have += static_cast<std::size_t>(n);
        }
        return static_cast<int>(report.size());
    }

    bool write(const Report& report)
    {
        std::size_t sent = 0;
        while (sent < report.size()) {
            const ssize_t n = ::send(fd, report.data() + sent, report.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                broken = true;
                return false;
            }
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int fd;
    std::atomic<bool> broken{false};
};

class SocketHandle : public HidHandle
{
public:
    SocketHandle(std::shared_ptr<SocketConnection> connection, int cancelFd)
        : connection(std::move(connection))
        , cancelFd(cancelFd)
    {
    }
    ~SocketHandle() override { ::close(cancelFd); }

    int readReport(Report& report) override { return connection->read(report, cancelFd); }

    void cancelRead() override
    {
        const std::uint64_t one = 1;
        // The eventfd stays readable, which also ends the next read.
        [[maybe_unused]] const ssize_t n = ::write(cancelFd, &one, sizeof one);
    }

    bool writeReport(const Report& report) override { return connection->write(report); }

private:
    std::shared_ptr<SocketConnection> connection;
    int cancelFd;
};

class SocketHidPlatform : public HidPlatform
{
public:
    explicit SocketHidPlatform(std::string path)
        : path(std::move(path))
    {
    }

    std::vector<HidInterfaceInfo> enumerate() override
    {
        struct stat info{};
        if (::stat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode))
            return {};
        return {{kSocketHardwareId, path}};
    }

    std::unique_ptr<HidHandle> openRead(const std::string& at) override { return open(at); }
    std::unique_ptr<HidHandle> openWrite(const std::string& at) override { return open(at); }

private:
    std::unique_ptr<HidHandle> open(const std::string& at)
    {
        if (at != path)
            return nullptr;
        const int cancelFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (cancelFd < 0)
            return nullptr;
        std::shared_ptr<SocketConnection> connection;
        {
            // The second open joins the connection of the first; a broken one is replaced.
            std::lock_guard lock(mutex);
            connection = current.lock();
            if (!connection || connection->isBroken()) {
                connection = SocketConnection::connectTo(path);
                current = connection;
            }
        }
        if (!connection) {
            ::close(cancelFd);
            return nullptr;
        }
        return std::make_unique<SocketHandle>(std::move(connection), cancelFd);
    }

    std::string path;
    std::mutex mutex;
    std::weak_ptr<SocketConnection> current;
};

} // namespace

std::shared_ptr<HidPlatform> makeSocketPlatform(std::string path)
{
    const std::string_view prefix = kSocketEndpointPrefix;
    if (path.starts_with(prefix))
        path.erase(0, prefix.size());
    return std::make_shared<SocketHidPlatform>(std::move(path));
}
