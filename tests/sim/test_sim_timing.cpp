// The timing model: pacing, the floor it states in advance for a read-all, and live status.
#include "SettingsSchema.h"
#include "SimCheck.h"
#include "SimRig.h"

#include <algorithm>
#include <cstdio>

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

SimOptions timedOptions(SimPacking packing = {})
{
    auto o = fastOptions();
    o.timing = {microseconds(1000), microseconds(1000)};
    o.packing = packing;
    return o;
}

std::size_t framesFor(std::size_t bytes)
{
    return (bytes + 15) / 16;
}

// Worked out from the link's own rules, not from the simulator's code: the host sends every
// frame as three reports; the device fills reports of up to 60 bytes.
microseconds expectedReadAllFloor(const SimDevice& device, int bytesPerReport)
{
    microseconds total{0};
    for (const auto& b : settingsSchema()) {
        const auto request = std::string("PROP => ") + b.key + "?\r\n";
        const auto reply = b.key + "=" + *device.property(b.key) + "\r\nOK\r\n";
        const auto in = (framesFor(reply.size()) * 24 + bytesPerReport - 1) / bytesPerReport;
        total += microseconds(1000) * (3 * framesFor(request.size()) + in) + microseconds(1000);
    }
    return total;
}

void oneExchangeTakesItsFloor()
{
    SimRig rig(timedOptions());
    CHECK(rig.host.waitAttached());
    // 22 request bytes: 2 frames, 6 reports; 19 reply bytes: 2 frames in 1 report; 1 ms think.
    const auto start = std::chrono::steady_clock::now();
    CHECK_EQ(rig.host.exchange(query("REL:MODE.A1")), std::string("REL:MODE.A1=1\r\nOK\r\n"));
    CHECK(std::chrono::steady_clock::now() - start >= milliseconds(8));
}

void readAllFloorIsStatedAndHeld()
{
    SimRig rig(timedOptions());
    CHECK(rig.host.waitAttached());
    const auto floor = rig.device->readAllFloor();
    CHECK_EQ(floor.count(), expectedReadAllFloor(*rig.device, 60).count());
    std::printf("read-all floor: %lld us, write-all floor: %lld us\n",
                static_cast<long long>(floor.count()),
                static_cast<long long>(rig.device->writeAllFloor().count()));

    const auto start = std::chrono::steady_clock::now();
    int answered = 0;
    for (const auto& b : settingsSchema())
        answered += rig.host.exchange(query(b.key)).starts_with(b.key + "=") ? 1 : 0;
    const auto took = std::chrono::duration_cast<microseconds>(std::chrono::steady_clock::now() - start);
    std::printf("read-all took: %lld us\n", static_cast<long long>(took.count()));
    CHECK_EQ(answered, 252);
    CHECK(took >= floor);
    CHECK(took < floor * 3 + std::chrono::seconds(5));

    rig.device->setPacking(*SimPacking::parse("frames:1"));
    CHECK_EQ(rig.device->readAllFloor().count(), expectedReadAllFloor(*rig.device, 24).count());
    rig.device->setTiming({microseconds(0), microseconds(0)});
    CHECK_EQ(rig.device->readAllFloor().count(), 0LL);
}

void liveStatusTicksAFewRecordsASecond()
{
    auto options = fastOptions();
    options.liveStatus = true;
    SimRig rig(options);
    CHECK(rig.host.waitAttached());
    const auto start = std::chrono::steady_clock::now();
    CHECK(rig.host.status.waitFor([](const std::string& t) {
        return std::count(t.begin(), t.end(), '}') >= 6; // two ticks
    }));
    const auto took = std::chrono::steady_clock::now() - start;
    CHECK(took >= milliseconds(1500));
    const auto got = records(rig.host.status.take());
    CHECK(got.size() >= 6 && got.size() <= 9);
    CHECK_EQ(got.at(0).first, std::string("DTS"));
    CHECK_EQ(got.at(1).first, std::string("SUTM"));
    CHECK(got.at(2).first.find("UTM") != std::string::npos);

    rig.device->setLiveStatus(false);
    rig.host.status.take();
    CHECK(!rig.host.status.waitFor([](const std::string& t) { return !t.empty(); },
                                   milliseconds(1300)));
}

} // namespace

int main()
{
    const simcheck::Test tests[] = {
        {"oneExchangeTakesItsFloor", oneExchangeTakesItsFloor},
        {"readAllFloorIsStatedAndHeld", readAllFloorIsStatedAndHeld},
        {"liveStatusTicksAFewRecordsASecond", liveStatusTicksAFewRecordsASecond},
    };
    return simcheck::runTests(tests);
}
