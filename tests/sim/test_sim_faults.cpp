// Attachment and fault injection: each fault has the effect it names and the host's link
// survives it; bad reports from the host never upset the device.
#include "SimCheck.h"
#include "SimReportStream.h"
#include "SimRig.h"

#include <random>

namespace {

const std::string kA1 = "REL:MODE.A1=1\r\nOK\r\n";
const std::string kA2 = "REL:MODE.A2=2\r\nOK\r\n";

void unplugAndReplugAreNotified()
{
    SimRig rig;
    CHECK(rig.host.waitAttached());
    CHECK_EQ(rig.host.states.states(), std::vector<std::string>{"Attached"});
    for (int round = 0; round < 2; ++round) {
        simcheck::Row row("round " + std::to_string(round));
        rig.device->unplug();
        CHECK(rig.host.states.waitCount(2 + 2 * std::size_t(round)));
        CHECK(!rig.host.connection.IsAttached());
        CHECK(rig.platform->enumerate().empty());
        rig.device->plug();
        CHECK(rig.host.states.waitCount(3 + 2 * std::size_t(round)));
        CHECK(rig.host.connection.IsAttached());
        CHECK_EQ(rig.host.exchange(query("REL:MODE.A1")), kA1);
    }
    CHECK_EQ(rig.host.states.states(),
             (std::vector<std::string>{"Attached", "Detached", "Attached", "Detached", "Attached"}));
    const auto listed = rig.platform->enumerate();
    CHECK_EQ(listed.size(), std::size_t(1));
    CHECK_EQ(listed.at(0).hardwareId, std::string("HID\\VID_04D8&PID_0054"));
    CHECK_EQ(listed.at(0).path, std::string("sim:0"));
}

void silenceSwallowsTheNextRequests()
{
    SimRig rig;
    CHECK(rig.host.waitAttached());
    rig.device->silenceNextRequests(2);
    rig.host.command.take();
    rig.host.commandSlot->WriteText(query("REL:MODE.A1"));
    rig.host.statusSlot->WriteText("R");
    rig.host.commandSlot->WriteText(query("REL:MODE.A2"));
    CHECK(rig.host.command.waitContains("\r\nOK\r\n"));
    CHECK_EQ(rig.host.command.take(), kA2); // the first query got nothing
    CHECK_EQ(rig.host.status.text(), std::string()); // nor the status request
    CHECK_EQ(rig.device->counters().requests, std::uint64_t(3));
    CHECK_EQ(rig.host.exchange(query("REL:MODE.A1")), kA1);
}

void delayHoldsRepliesBack()
{
    SimRig rig;
    CHECK(rig.host.waitAttached());
    rig.device->setReplyDelay(std::chrono::milliseconds(150));
    const auto start = std::chrono::steady_clock::now();
    CHECK_EQ(rig.host.exchange(query("REL:MODE.A1")), kA1);
    CHECK(std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(150));
    rig.device->clearFaults();
    CHECK_EQ(rig.host.exchange(query("REL:MODE.A2")), kA2);
}

// A frame with a bad CRC is simply not recognised: its 16 characters are missing.
void corruptFramesAreLostAndTheRestArrives()
{
    SimRig rig;
    CHECK(rig.host.waitAttached());
    const std::string key = "CALL:ROUTE1.PI"; // the reply is two frames
    const std::string whole = key + "=Quarvis_TCP\r\nOK\r\n";
    rig.device->corruptNextFrames(1);
    rig.host.command.take();
    rig.host.commandSlot->WriteText(query(key));
    CHECK(rig.host.command.waitContains("\r\nOK\r\n"));
    CHECK_EQ(rig.host.command.take(), whole.substr(16));
    CHECK_EQ(rig.host.exchange(query(key)), whole);
}

void noiseDoesNotHideFrames()
{
    for (int bytes : {1, 23, 24, 61, 500}) {
        simcheck::Row row(std::to_string(bytes) + " noise bytes");
        SimRig rig;
        CHECK(rig.host.waitAttached());
        rig.device->insertNoise(bytes);
        CHECK_EQ(rig.host.exchange(query("REL:MODE.A1")), kA1);
        CHECK_EQ(rig.host.exchange(query("REL:MODE.A2")), kA2);
    }
}

void detachAfterReportsAndComeBack()
{
    SimRig rig;
    CHECK(rig.host.waitAttached());
    rig.device->detachAfterReports(4); // the query takes 6 reports: the device goes mid-request
    rig.host.commandSlot->WriteText(query("REL:MODE.A1"));
    CHECK(rig.host.states.waitCount(2));
    CHECK_EQ(rig.host.states.states().back(), std::string("Detached"));
    CHECK(!rig.device->isPlugged());
    CHECK_EQ(rig.device->counters().reportsIn, std::uint64_t(4));
    rig.device->plug();
    CHECK(rig.host.states.waitCount(3));
    CHECK_EQ(rig.host.exchange(query("REL:MODE.A1")), kA1);
}

// Reports written straight at the device: wrong markers, impossible lengths, noise and a
// request cut into one-byte reports.
void badReportsFromTheHostAreIgnored()
{
    SimRig rig;
    CHECK(rig.host.waitAttached());
    auto raw = rig.platform->openWrite("sim:0");
    CHECK(raw != nullptr);
    if (!raw)
        return;
    Report notData{};
    notData[1] = 0;
    notData[2] = 10;
    Report tooLong{};
    tooLong[1] = 1;
    tooLong[2] = 61;
    Report huge = tooLong;
    huge[2] = 255;
    for (const auto& r : {notData, tooLong, huge})
        CHECK(raw->writeReport(r));
    CHECK_EQ(rig.device->counters().reportsDropped, std::uint64_t(3));

    std::mt19937 random(7);
    std::vector<std::uint8_t> junk(300);
    for (auto& b : junk)
        b = std::uint8_t(random());
    for (std::size_t at = 0; at < junk.size(); at += 60)
        CHECK(raw->writeReport(SimReportStream::makeReport(
            std::span(junk).subspan(at, std::min<std::size_t>(60, junk.size() - at)))));

    int none = 0;
    SimReportStream framer;
    const auto bytes = framer.frame(6, query("REL:MODE.A2"), none);
    rig.host.command.take();
    for (auto b : bytes)
        CHECK(raw->writeReport(SimReportStream::makeReport(std::span(&b, 1))));
    CHECK(rig.host.command.waitContains("\r\nOK\r\n"));
    CHECK_EQ(rig.host.command.take(), kA2);
    CHECK_EQ(rig.host.exchange(query("REL:MODE.A1")), kA1);

    // A line that never ends is dropped whole, and the device goes on.
    rig.host.commandSlot->WriteText(std::string(5000, 'x'));
    CHECK_EQ(rig.host.exchange("\r\n" + query("REL:MODE.A1")), kA1);
}

void cancelEndsAWaitingRead()
{
    SimRig rig;
    auto read = rig.platform->openRead("sim:0");
    CHECK(read != nullptr);
    if (!read)
        return;
    std::atomic<int> result{0};
    std::thread reader([&] {
        Report r{};
        result = read->readReport(r);
    });
    read->cancelRead();
    reader.join();
    CHECK_EQ(result.load(), -1);
    CHECK(rig.platform->openRead("elsewhere") == nullptr);
    rig.device->unplug();
    CHECK(rig.platform->openRead("sim:0") == nullptr);
}

} // namespace

int main()
{
    const simcheck::Test tests[] = {
        {"unplugAndReplugAreNotified", unplugAndReplugAreNotified},
        {"silenceSwallowsTheNextRequests", silenceSwallowsTheNextRequests},
        {"delayHoldsRepliesBack", delayHoldsRepliesBack},
        {"corruptFramesAreLostAndTheRestArrives", corruptFramesAreLostAndTheRestArrives},
        {"noiseDoesNotHideFrames", noiseDoesNotHideFrames},
        {"detachAfterReportsAndComeBack", detachAfterReportsAndComeBack},
        {"badReportsFromTheHostAreIgnored", badReportsFromTheHostAreIgnored},
        {"cancelEndsAWaitingRead", cancelEndsAWaitingRead},
    };
    return simcheck::runTests(tests);
}
