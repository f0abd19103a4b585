// HID over a scripted platform: finding the device, opening it, the report layout of writes,
// and which input reports the reader passes on.

#include "ConnHIDCOM.h"
#include "FakeHidPlatform.h"
#include "LinkCheck.h"
#include "Recorders.h"

#include <string>

namespace {

using namespace std::string_literals;

void findDeviceCases()
{
    const struct
    {
        const char* name;
        std::vector<HidInterfaceInfo> interfaces;
        bool found;
        std::string path;
    } rows[] = {
        {"HID id with interface", {{"HID\\VID_04D8&PID_0054&MI_00", "/a"}}, true, "/a"},
        {"upper-case USB id", {{"USB\\VID_04D8&PID_0054&REV_0100", "/b"}}, true, "/b"},
        {"lower-case id", {{"hid\\vid_04d8&pid_0054", "/c"}}, true, "/c"},
        {"same vendor, other product", {{"HID\\VID_04D8&PID_0055", "/d"}}, false, ""},
        {"match only in the second id", {{"HID\\VID_1234&PID_0001\0HID\\VID_04D8&PID_0054"s, "/e"}},
         false, ""},
        {"first match wins",
         {{"HID\\VID_046D&PID_C077", "/kbd"},
          {"HID\\VID_04D8&PID_0054&MI_00", "/first"},
          {"HID\\VID_04D8&PID_0054&MI_01", "/second"}},
         true, "/first"},
        {"nothing present", {}, false, ""},
    };
    for (const auto& row : rows) {
        linkcheck::Row r(row.name);
        auto platform = std::make_shared<FakeHidPlatform>();
        platform->setInterfaces(row.interfaces);
        HID hid(platform);
        CHECK_EQ(hid.FindDevice(), row.found);
        CHECK_EQ(hid.devicePath, row.path);
    }
}

class OrderListener : public ChangeStateEvent
{
public:
    OrderListener(std::vector<std::string>& log, std::string name)
        : log(log)
        , name(std::move(name))
    {
    }
    void OnChangeState(const char* state) override { log.push_back(name + ":" + state); }

private:
    std::vector<std::string>& log;
    std::string name;
};

void openDeviceCases()
{
    const struct
    {
        const char* name;
        bool present, readFails, writeFails;
        bool attached;
        int handlesLeft;
    } rows[] = {
        {"opens both handles", true, false, false, true, 2},
        {"no device", false, false, false, false, 0},
        {"read open fails", true, true, false, false, 0},
        {"write open fails releases the read handle", true, false, true, false, 0},
    };
    for (const auto& row : rows) {
        linkcheck::Row r(row.name);
        auto platform = std::make_shared<FakeHidPlatform>();
        if (row.present)
            platform->plug();
        platform->setOpenFails(row.readFails, row.writeFails);
        std::vector<std::string> log;
        OrderListener first(log, "1"), second(log, "2");
        HID hid(platform);
        hid.listeners.append(&first);
        hid.listeners.append(&second);
        hid.OpenDevice();
        CHECK_EQ(hid.isAttached(), row.attached);
        CHECK_EQ(platform->openHandles(), row.handlesLeft);
        const std::vector<std::string> expected =
            row.attached ? std::vector<std::string>{"1:Attached", "2:Attached"}
                         : std::vector<std::string>{};
        CHECK_EQ(log, expected);
    }
}

void writeDataCases()
{
    const struct
    {
        const char* name;
        bool attached;
        int count;
        std::vector<int> reportLengths;
    } rows[] = {
        {"61 bytes", true, 61, {60, 1}},
        {"60 bytes", true, 60, {60}},
        {"6 bytes", true, 6, {6}},
        {"121 bytes", true, 121, {60, 60, 1}},
        {"0 bytes", true, 0, {}},
        {"negative count", true, -3, {}},
        {"while absent", false, 61, {}},
    };
    for (const auto& row : rows) {
        linkcheck::Row r(row.name);
        auto platform = std::make_shared<FakeHidPlatform>();
        platform->plug();
        HID hid(platform);
        if (row.attached)
            hid.OpenDevice();
        std::vector<std::uint8_t> data(200);
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<std::uint8_t>(i + 1);
        CHECK(hid.WriteData(data.data(), row.count));

        const std::vector<Report> reports = platform->written();
        std::vector<int> lengths;
        std::size_t offset = 0;
        for (const Report& report : reports) {
            lengths.push_back(report[2]);
            CHECK_EQ(static_cast<int>(report[0]), 0);
            CHECK_EQ(static_cast<int>(report[1]), 1);
            const std::vector<std::uint8_t> payload(report.begin() + 5,
                                                     report.begin() + 5 + report[2]);
            const std::vector<std::uint8_t> block(data.begin() + static_cast<long>(offset),
                                                   data.begin() + static_cast<long>(offset)
                                                       + report[2]);
            CHECK_EQ(payload, block);
            offset += report[2];
        }
        CHECK_EQ(lengths, row.reportLengths);
    }
}

void failedWriteStillReportsSuccess()
{
    auto platform = std::make_shared<FakeHidPlatform>();
    platform->plug();
    HID hid(platform);
    hid.OpenDevice();
    platform->setWriteFails(true);
    const std::vector<std::uint8_t> data(61, 0x41);
    CHECK(hid.WriteData(data.data(), 61));
    CHECK(platform->written().empty());
}

FakeHidPlatform::Read dataRead(std::vector<std::uint8_t> payload)
{
    FakeHidPlatform::Read read;
    read.report[1] = 1;
    read.report[2] = static_cast<std::uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), read.report.begin() + 5);
    return read;
}

// Each row is followed by a marker report; the row's report is dropped when only the marker
// arrives.
void readerPassesOnlyDataReports()
{
    FakeHidPlatform::Read notData = dataRead({1, 2, 3});
    notData.report[1] = 0;
    FakeHidPlatform::Read zeroBytes = dataRead({1, 2, 3});
    zeroBytes.length = 0;
    FakeHidPlatform::Read length61 = dataRead({});
    length61.report[2] = 61;
    FakeHidPlatform::Read shortRead = dataRead({1, 2, 3, 4, 5, 6, 7, 8});
    shortRead.length = 9; // report ID, 4 header bytes and only 4 of the 8 payload bytes
    const FakeHidPlatform::Read full60 = dataRead(std::vector<std::uint8_t>(60, 0x5A));
    const FakeHidPlatform::Read empty = dataRead({});

    const struct
    {
        const char* name;
        FakeHidPlatform::Read read;
        std::vector<Bytes> passed; // before the marker
    } rows[] = {
        {"byte 1 not 1", notData, {}},
        {"zero-byte read", zeroBytes, {}},
        {"length byte 61", length61, {}},
        {"length past the bytes read", shortRead, {}},
        {"length byte 60", full60, {Bytes(60, 0x5A)}},
        {"length byte 0", empty, {Bytes{}}},
    };
    const Bytes marker = {'M'};
    for (const auto& row : rows) {
        linkcheck::Row r(row.name);
        auto platform = std::make_shared<FakeHidPlatform>();
        RecordingConnection receiver;
        RecordingListener listener;
        ConnHIDCOM connection(platform);
        connection.receivers.append(&receiver);
        connection.stateListeners.append(&listener);
        connection.Open();
        platform->plug();
        CHECK(listener.waitEvents(1));
        platform->push(row.read);
        platform->push(dataRead(marker));
        std::vector<Bytes> expected = row.passed;
        expected.push_back(marker);
        CHECK(receiver.waitReceived(expected.size()));
        CHECK(platform->waitReadsTaken());
        connection.Close();
        CHECK_EQ(receiver.receivedCopy(), expected);
    }
}

void slotFrameReachesEverySlotInOneCall()
{
    auto platform = std::make_shared<FakeHidPlatform>();
    RecordingConnection raw;
    ConnHIDCOM connection(platform);
    connection.receivers.append(&raw);
    std::unique_ptr<Slot> slots[] = {connection.CreateSlot(6), connection.CreateSlot(4),
                                     connection.CreateSlot(3)};
    RecordingConnection statusReceiver;
    slots[1]->receivers.append(&statusReceiver);
    RecordingListener listener;
    connection.stateListeners.append(&listener);
    connection.Open();
    platform->plug();
    CHECK(listener.waitEvents(1));
    const std::uint8_t text[] = {'{', 'V', '=', '1', '}'};
    const SlotFrame frame = buildSlotFrame(0, 4, text, 5);
    platform->push(dataRead(Bytes(frame.begin(), frame.end())));
    CHECK(raw.waitReceived(1));
    CHECK(statusReceiver.waitReceived(1));
    connection.Close();
    CHECK_EQ(raw.receivedCopy(), std::vector<Bytes>{Bytes(frame.begin(), frame.end())});
    CHECK_EQ(statusReceiver.receivedCopy(), std::vector<Bytes>{Bytes(text, text + 5)});
}

void slotWriteBecomesThreeReports()
{
    auto platform = std::make_shared<FakeHidPlatform>();
    ConnHIDCOM connection(platform);
    std::unique_ptr<Slot> command = connection.CreateSlot(6);
    RecordingListener listener;
    connection.stateListeners.append(&listener);
    connection.Open();
    platform->plug();
    CHECK(listener.waitEvents(1));
    command->WriteText("PROP => CALL:ROUTE1.IP?\r\n"); // 25 bytes: two frames
    const std::vector<Report> reports = platform->written();
    std::vector<int> lengths;
    for (const Report& report : reports)
        lengths.push_back(report[2]);
    CHECK_EQ(lengths, (std::vector<int>{6, 16, 2, 6, 16, 2}));
    connection.Close();
}

} // namespace

int main()
{
    return linkcheck::runTests({
        {"findDeviceCases", findDeviceCases},
        {"openDeviceCases", openDeviceCases},
        {"writeDataCases", writeDataCases},
        {"failedWriteStillReportsSuccess", failedWriteStillReportsSuccess},
        {"readerPassesOnlyDataReports", readerPassesOnlyDataReports},
        {"slotFrameReachesEverySlotInOneCall", slotFrameReachesEverySlotInOneCall},
        {"slotWriteBecomesThreeReports", slotWriteBecomesThreeReports},
    });
}
