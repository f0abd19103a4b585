// The local socket endpoint, client side, against a tiny server in the test.

#include "ConnHIDCOM.h"
#include "LinkCheck.h"
#include "Recorders.h"
#include "SocketHidPlatform.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

std::string tempDir()
{
    char name[] = "/tmp/pragant-link-XXXXXX";
    const char* dir = mkdtemp(name);
    return dir ? dir : "/tmp";
}

class Server
{
public:
    explicit Server(const std::string& path)
        : path(path)
    {
        listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        ::unlink(path.c_str());
        if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || ::listen(listener, 4) != 0)
            linkcheck::fail(__FILE__, __LINE__, "server could not listen");
    }
    ~Server()
    {
        dropClient();
        ::close(listener);
        ::unlink(path.c_str());
    }

    // Waits for one connection; false when none came in time.
    bool accept(std::chrono::milliseconds timeout = 5s)
    {
        pollfd fd{listener, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(timeout.count())) != 1)
            return false;
        dropClient();
        client = ::accept(listener, nullptr, nullptr);
        return client >= 0;
    }
    void dropClient()
    {
        if (client >= 0)
            ::close(client);
        client = -1;
    }
    void send(const std::uint8_t* bytes, std::size_t count)
    {
        CHECK_EQ(::send(client, bytes, count, MSG_NOSIGNAL), static_cast<ssize_t>(count));
    }
    Bytes receive(std::size_t count)
    {
        Bytes bytes(count);
        std::size_t have = 0;
        while (have < count) {
            pollfd fd{client, POLLIN, 0};
            if (::poll(&fd, 1, 5000) != 1)
                break;
            const ssize_t n = ::recv(client, bytes.data() + have, count - have, 0);
            if (n <= 0)
                break;
            have += static_cast<std::size_t>(n);
        }
        bytes.resize(have);
        return bytes;
    }

    std::string path;
    int listener = -1;
    int client = -1;
};

Report dataReport(const Bytes& payload)
{
    Report report{};
    report[1] = 1;
    report[2] = static_cast<std::uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), report.begin() + 5);
    return report;
}

void enumerateFollowsTheSocketFile()
{
    const std::string dir = tempDir();
    const std::string path = dir + "/dev.sock";
    auto platform = makeSocketPlatform("socket:" + path);
    CHECK(platform->enumerate().empty());
    {
        std::ofstream(path) << "not a socket";
        CHECK(platform->enumerate().empty());
        ::unlink(path.c_str());
    }
    {
        Server server(path);
        const std::vector<HidInterfaceInfo> found = platform->enumerate();
        CHECK_EQ(found.size(), 1u);
        if (!found.empty()) {
            CHECK_EQ(found[0].hardwareId, std::string("HID\\VID_04D8&PID_0054"));
            CHECK_EQ(found[0].path, path);
        }
        HID hid(platform);
        CHECK(hid.FindDevice());
    }
    CHECK(platform->enumerate().empty());
    CHECK(!platform->openRead(path));
    ::rmdir(dir.c_str());
}

void bothHandlesShareOneConnection()
{
    const std::string dir = tempDir();
    const std::string path = dir + "/dev.sock";
    Server server(path);
    auto platform = makeSocketPlatform(path);
    auto reading = platform->openRead(path);
    auto writing = platform->openWrite(path);
    CHECK(reading && writing);
    if (!reading || !writing)
        return;
    CHECK(server.accept());
    CHECK(!server.accept(100ms)); // no second connection

    const Report out = dataReport({'P', 'I', 'N', 'G'});
    CHECK(writing->writeReport(out));
    CHECK_EQ(server.receive(kReportSize), Bytes(out.begin(), out.end()));

    // A report split over two sends still arrives whole.
    const Report in = dataReport({'O', 'K'});
    server.send(in.data(), 10);
    server.send(in.data() + 10, kReportSize - 10);
    Report got{};
    CHECK_EQ(reading->readReport(got), static_cast<int>(kReportSize));
    CHECK(got == in);

    // Closing both handles closes the connection: the server sees end of stream.
    reading.reset();
    writing.reset();
    CHECK(server.receive(1).empty());
    ::rmdir(dir.c_str());
}

void readIsCancellableAndEndOfStreamFails()
{
    const std::string dir = tempDir();
    const std::string path = dir + "/dev.sock";
    Server server(path);
    auto platform = makeSocketPlatform(path);
    auto reading = platform->openRead(path);
    CHECK(reading != nullptr);
    if (!reading)
        return;
    CHECK(server.accept());

    auto pending = std::async(std::launch::async, [&] {
        Report report{};
        return reading->readReport(report);
    });
    CHECK(pending.wait_for(50ms) == std::future_status::timeout); // really waiting
    reading->cancelRead();
    CHECK(pending.wait_for(1s) == std::future_status::ready);
    CHECK_EQ(pending.get(), -1);

    reading.reset(); // the last handle: the connection closes, the next open connects anew
    auto again = platform->openRead(path);
    CHECK(again != nullptr);
    if (!again)
        return;
    CHECK(server.accept());
    server.dropClient();
    Report report{};
    CHECK_EQ(again->readReport(report), -1);
    ::rmdir(dir.c_str());
}

void connectionAttachesAndDetachesWithTheServer()
{
    const std::string dir = tempDir();
    const std::string path = dir + "/dev.sock";
    Server server(path);
    RecordingListener listener;
    RecordingConnection receiver;
    ConnHIDCOM connection(makeSocketPlatform("socket:" + path));
    connection.stateListeners.append(&listener);
    connection.receivers.append(&receiver);
    connection.Open();
    CHECK(server.accept());
    CHECK(listener.waitEvents(1));
    CHECK(!server.accept(100ms)); // read and write handle share the one connection

    const Report in = dataReport({'h', 'i'});
    server.send(in.data(), in.size());
    CHECK(receiver.waitReceived(1));
    CHECK_EQ(receiver.receivedCopy(), (std::vector<Bytes>{Bytes{'h', 'i'}}));
    connection.WriteText("abc");
    const Bytes out = server.receive(kReportSize);
    CHECK_EQ(out.size(), kReportSize);
    if (out.size() == kReportSize)
        CHECK_EQ(Bytes(out.begin() + 2, out.begin() + 8), (Bytes{3, 0, 0, 'a', 'b', 'c'}));

    server.dropClient(); // the device end goes away
    CHECK(listener.waitEvents(2));
    CHECK(server.accept()); // and the search connects again
    CHECK(listener.waitEvents(3));
    connection.Close();
    CHECK_EQ(listener.states(),
             (std::vector<std::string>{"Attached", "Detached", "Attached", "Detached", "Detached"}));
    ::rmdir(dir.c_str());
}

} // namespace

int main()
{
    return linkcheck::runTests({
        {"enumerateFollowsTheSocketFile", enumerateFollowsTheSocketFile},
        {"bothHandlesShareOneConnection", bothHandlesShareOneConnection},
        {"readIsCancellableAndEndOfStreamFails", readIsCancellableAndEndOfStreamFails},
        {"connectionAttachesAndDetachesWithTheServer", connectionAttachesAndDetachesWithTheServer},
    });
}
