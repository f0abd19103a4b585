// ConnHIDCOM's reader thread: attach and detach notifications, Close in every state, and
// writes racing a detach (run under ThreadSanitizer too).

#include "ConnHIDCOM.h"
#include "FakeHidPlatform.h"
#include "LinkCheck.h"
#include "Recorders.h"

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using States = std::vector<std::string>;

struct Rig
{
    std::shared_ptr<FakeHidPlatform> platform = std::make_shared<FakeHidPlatform>();
    RecordingListener listener;
    std::unique_ptr<ConnHIDCOM> connection = std::make_unique<ConnHIDCOM>(platform);
    Rig() { connection->stateListeners.append(&listener); }
};

void onReaderThread(RecordingListener& listener)
{
    for (const RecordingListener::Event& event : listener.eventsCopy())
        CHECK(event.thread != std::this_thread::get_id());
}

void openWithoutDeviceKeepsSearching()
{
    Rig rig;
    CHECK(!rig.connection->IsOpen());
    CHECK(rig.connection->Open());
    CHECK(rig.connection->IsOpen());
    CHECK(rig.platform->waitEnumerations(3)); // searched again and again
    CHECK(!rig.connection->IsAttached());
    CHECK(rig.listener.states().empty());
    CHECK_EQ(rig.connection->GetName(), std::string("HID"));
}

void onePlugOneAttachedOneUnplugOneDetached()
{
    Rig rig;
    rig.connection->Open();
    for (int cycle = 0; cycle < 3; ++cycle) {
        linkcheck::Row r("cycle " + std::to_string(cycle));
        rig.platform->plug();
        CHECK(rig.listener.waitEvents(2 * static_cast<std::size_t>(cycle) + 1));
        CHECK(rig.connection->IsAttached());
        CHECK(rig.platform->waitReaderBlocked());
        rig.platform->unplug();
        CHECK(rig.listener.waitEvents(2 * static_cast<std::size_t>(cycle) + 2));
        CHECK(rig.platform->waitOpenHandles(0)); // handles released on detach
    }
    // The search resumed without attaching anything more.
    CHECK(rig.platform->waitEnumerations(2));
    CHECK_EQ(rig.listener.states(),
             (States{"Attached", "Detached", "Attached", "Detached", "Attached", "Detached"}));
    CHECK(!rig.connection->IsAttached());
    onReaderThread(rig.listener);
}

void closeWhileAttached()
{
    Rig rig;
    rig.connection->Open();
    rig.platform->plug();
    CHECK(rig.listener.waitEvents(1));
    CHECK(rig.platform->waitReaderBlocked());
    const std::size_t before = rig.platform->written().size();
    const auto start = Clock::now();
    rig.connection->Close();
    const auto took = Clock::now() - start;
    // Both notifications are in when Close returns: the thread has ended.
    CHECK_EQ(rig.listener.states(), (States{"Attached", "Detached", "Detached"}));
    CHECK(took < std::chrono::milliseconds(1000));
    CHECK_EQ(rig.platform->openHandles(), 0);
    CHECK(!rig.connection->IsAttached());
    CHECK(!rig.connection->IsOpen());
    rig.connection->WriteText("after close");
    CHECK_EQ(rig.platform->written().size(), before);
    onReaderThread(rig.listener);
}

void closeWhileSearching()
{
    Rig rig;
    rig.connection->Open();
    CHECK(rig.platform->waitEnumerations(1));
    const auto start = Clock::now();
    rig.connection->Close();
    const auto took = Clock::now() - start;
    CHECK_EQ(rig.listener.states(), States{"Detached"});
    CHECK(took < std::chrono::milliseconds(200));
    CHECK(!rig.connection->IsOpen());
    // No more searching once closed.
    CHECK(!rig.platform->waitEnumerations(1, std::chrono::milliseconds(50)));
}

void closeWithoutOpenReturnsAtOnce()
{
    Rig rig;
    rig.connection->Close();
    rig.connection->Close();
    CHECK(rig.listener.states().empty());
    CHECK(!rig.connection->IsOpen());
}

void destructionRunsClose()
{
    Rig rig;
    rig.connection->Open();
    rig.platform->plug();
    CHECK(rig.listener.waitEvents(1));
    rig.connection.reset();
    CHECK_EQ(rig.listener.states(), (States{"Attached", "Detached", "Detached"}));
    CHECK_EQ(rig.platform->openHandles(), 0);
}

void closeTwiceAndReopen()
{
    Rig rig;
    rig.connection->Open();
    rig.platform->plug();
    CHECK(rig.listener.waitEvents(1));
    rig.connection->Close();
    rig.connection->Close();
    CHECK_EQ(rig.listener.states().size(), 3u);
    CHECK(rig.connection->Open());
    CHECK(rig.listener.waitEvents(4));
    CHECK_EQ(rig.listener.states().back(), std::string("Attached"));
    rig.connection->Close();
    CHECK_EQ(rig.listener.states().size(), 6u);
}

// A listener that closes the connection from the reader thread must not hang it.
class ClosingListener : public ChangeStateEvent
{
public:
    explicit ClosingListener(ConnHIDCOM*& connection)
        : connection(connection)
    {
    }
    void OnChangeState(const char* state) override
    {
        if (std::string(state) == "Attached")
            connection->Close();
    }

private:
    ConnHIDCOM*& connection;
};

void closeFromListenerDoesNotDeadlock()
{
    Rig rig;
    ConnHIDCOM* raw = rig.connection.get();
    ClosingListener closer(raw);
    rig.connection->stateListeners.append(&closer);
    rig.connection->Open();
    rig.platform->plug();
    CHECK(rig.listener.waitEvents(2)); // "Attached", then the end of the thread
    rig.connection->Close();
    CHECK_EQ(rig.listener.states(), (States{"Attached", "Detached"}));
}

// Writes from the main thread while the device comes and goes: a write never overlaps the
// release of the handles (ThreadSanitizer watches this).
void writesRaceDetach()
{
    Rig rig;
    rig.connection->Open();
    std::atomic<bool> done{false};
    std::thread device([&] {
        for (int i = 0; i < 20; ++i) {
            rig.platform->plug();
            rig.listener.waitEvents(static_cast<std::size_t>(2 * i + 1));
            rig.platform->unplug();
            rig.listener.waitEvents(static_cast<std::size_t>(2 * i + 2));
        }
        done = true;
    });
    const std::uint8_t bytes[70] = {};
    while (!done)
        rig.connection->Write(bytes, 70);
    device.join();
    rig.connection->Close();
    const States states = rig.listener.states();
    CHECK_EQ(states.size(), 41u);
    for (const Report& report : rig.platform->written())
        CHECK(report[2] == 60 || report[2] == 10);
}

} // namespace

int main()
{
    return linkcheck::runTests({
        {"openWithoutDeviceKeepsSearching", openWithoutDeviceKeepsSearching},
        {"onePlugOneAttachedOneUnplugOneDetached", onePlugOneAttachedOneUnplugOneDetached},
        {"closeWhileAttached", closeWhileAttached},
        {"closeWhileSearching", closeWhileSearching},
        {"closeWithoutOpenReturnsAtOnce", closeWithoutOpenReturnsAtOnce},
        {"destructionRunsClose", destructionRunsClose},
        {"closeTwiceAndReopen", closeTwiceAndReopen},
        {"closeFromListenerDoesNotDeadlock", closeFromListenerDoesNotDeadlock},
        {"writesRaceDetach", writesRaceDetach},
    });
}
