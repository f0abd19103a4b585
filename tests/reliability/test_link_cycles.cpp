// A thousand attach, detach and close cycles of the device link, each with a writer thread
// racing the detach or the close; then a thousand attach and detach cycles of one connection.
// Run under ThreadSanitizer (tsan build) and LeakSanitizer (asan build); the heap must not
// grow with the cycles.

#include "ConnHIDCOM.h"
#include "FakeHidPlatform.h"
#include "HeapInUse.h"
#include "LinkCheck.h"
#include "Recorders.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;
using States = std::vector<std::string>;

constexpr int kCycles = 1000;
constexpr int kWarmUp = 100; // the heap is measured from here on, after caches have filled
// A leak of a few bytes per cycle over 900 cycles stays above this.
constexpr std::size_t kGrowthAllowed = 16 * 1024;

std::string growthText(std::size_t before, std::size_t after)
{
    return std::to_string(before) + " -> " + std::to_string(after) + " bytes";
}

// Counts notifications without keeping them, so that a long run holds no growing record.
class CountingListener : public ChangeStateEvent
{
public:
    void OnChangeState(const char*) override
    {
        {
            std::lock_guard lock(mutex);
            ++count;
        }
        changed.notify_all();
    }
    bool waitCount(int wanted)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 5s, [&] { return count >= wanted; });
    }
    int total()
    {
        std::lock_guard lock(mutex);
        return count;
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
};

struct Rig
{
    std::shared_ptr<FakeHidPlatform> platform = std::make_shared<FakeHidPlatform>();
    RecordingListener listener;
    std::unique_ptr<ConnHIDCOM> connection = std::make_unique<ConnHIDCOM>(platform);
    std::unique_ptr<Slot> commandSlot = connection->CreateSlot(6);
    Rig() { connection->stateListeners.append(&listener); }
    ~Rig() { connection->Close(); }
};

// Writes command lines on the slot until told to stop, as the UI thread does during a run.
class Writer
{
public:
    explicit Writer(Slot& slot)
        : thread([this, &slot] {
            while (!stop)
                slot.WriteText("PROP => CALL:ROUTE1.IP?\r\n");
        })
    {
    }
    ~Writer()
    {
        stop = true;
        thread.join();
    }

private:
    std::atomic<bool> stop{false};
    std::thread thread;
};

// Even cycles: unplug while writing, then close. Odd cycles: close while attached and writing.
bool cycle(int index)
{
    Rig rig;
    linkcheck::Row row("cycle " + std::to_string(index));
    const int failuresBefore = linkcheck::failureCount();
    rig.connection->Open();
    rig.platform->plug();
    CHECK(rig.listener.waitEvents(1));
    CHECK(rig.platform->waitReaderBlocked());
    {
        Writer writer(*rig.commandSlot);
        if (index % 2 == 0) {
            rig.platform->unplug();
            CHECK(rig.listener.waitEvents(2));
            CHECK(rig.platform->waitOpenHandles(0));
            rig.connection->Close();
            CHECK_EQ(rig.listener.states(), (States{"Attached", "Detached", "Detached"}));
        } else {
            rig.connection->Close();
            CHECK_EQ(rig.listener.states(), (States{"Attached", "Detached", "Detached"}));
            // The writer keeps going: nothing reaches the device once Close has returned.
            const std::size_t written = rig.platform->written().size();
            std::this_thread::sleep_for(1ms);
            CHECK_EQ(rig.platform->written().size(), written);
        }
    }
    CHECK_EQ(rig.platform->openHandles(), 0);
    CHECK(!rig.connection->IsAttached());
    CHECK(!rig.connection->IsOpen());
    // Every report that did go out is whole: three per frame, of 6, 16 and 2 payload bytes.
    const std::vector<Report> written = rig.platform->written();
    constexpr int kPieces[3] = {6, 16, 2};
    for (std::size_t i = 0; i < written.size(); ++i)
        CHECK_EQ(static_cast<int>(written[i][2]), kPieces[i % 3]);
    return linkcheck::failureCount() == failuresBefore;
}

void attachDetachCloseCyclesWithRacingWrites()
{
    std::size_t atWarmUp = 0;
    for (int i = 0; i < kCycles; ++i) {
        if (i == kWarmUp)
            atWarmUp = heapInUse();
        if (!cycle(i))
            return; // one failing cycle says it; a thousand would bury it
    }
    const std::size_t after = heapInUse();
    std::printf("heap over %d cycles: %s\n", kCycles - kWarmUp, growthText(atWarmUp, after).c_str());
    if (after > atWarmUp + kGrowthAllowed)
        linkcheck::fail(__FILE__, __LINE__, "heap grew over the cycles: " + growthText(atWarmUp, after));
}

void attachDetachCyclesOfOneConnection()
{
    auto platform = std::make_shared<FakeHidPlatform>();
    CountingListener listener;
    ConnHIDCOM connection(platform);
    connection.stateListeners.append(&listener);
    connection.Open();
    std::size_t atWarmUp = 0;
    for (int i = 0; i < kCycles; ++i) {
        if (i == kWarmUp)
            atWarmUp = heapInUse();
        platform->plug();
        const bool attached = listener.waitCount(2 * i + 1) && platform->waitReaderBlocked();
        platform->unplug();
        const bool detached = listener.waitCount(2 * i + 2) && platform->waitOpenHandles(0);
        if (!attached || !detached) {
            CHECK(attached);
            CHECK(detached);
            return;
        }
    }
    const std::size_t after = heapInUse();
    std::printf("heap over %d cycles: %s\n", kCycles - kWarmUp, growthText(atWarmUp, after).c_str());
    if (after > atWarmUp + kGrowthAllowed)
        linkcheck::fail(__FILE__, __LINE__, "heap grew over the cycles: " + growthText(atWarmUp, after));
    CHECK(connection.IsOpen());
    CHECK(!connection.IsAttached());
    connection.Close();
    CHECK_EQ(listener.total(), 2 * kCycles + 1);
    CHECK_EQ(platform->openHandles(), 0);
}

} // namespace

int main()
{
    return linkcheck::runTests({
        {"attachDetachCloseCyclesWithRacingWrites", attachDetachCloseCyclesWithRacingWrites},
        {"attachDetachCyclesOfOneConnection", attachDetachCyclesOfOneConnection},
    });
}
