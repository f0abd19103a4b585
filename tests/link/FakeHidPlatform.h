#pragma once
// A scripted HidPlatform: the test decides which interfaces are present, what the device
// sends, whether opens fail and when it is unplugged; it records every output report. All
// waits are on a condition variable with a time-out.

#include "HidPlatform.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

constexpr char kFakePath[] = "/fake/hidraw0";
constexpr char kFakeId[] = "HID\\VID_04D8&PID_0054&MI_00";

class FakeHidPlatform : public HidPlatform
{
public:
    struct Read
    {
        Report report{};
        int length = static_cast<int>(kReportSize); // -1: the read fails
    };

    std::vector<HidInterfaceInfo> enumerate() override;
    std::unique_ptr<HidHandle> openRead(const std::string& path) override;
    std::unique_ptr<HidHandle> openWrite(const std::string& path) override;

    // Script
    void setInterfaces(std::vector<HidInterfaceInfo> interfaces);
    void plug();   // the device appears at kFakePath
    void unplug(); // the device vanishes: pending and later reads on its handles fail
    void push(const Read& read);
    void pushData(const std::vector<std::uint8_t>& payload); // a data report
    void setOpenFails(bool readFails, bool writeFails);
    void setWriteFails(bool fails);

    // Observation
    std::vector<Report> written();
    int openHandles();
    int opensCount();
    bool waitReaderBlocked(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    bool waitOpenHandles(int count, std::chrono::milliseconds timeout = std::chrono::seconds(5));
    bool waitEnumerations(int count, std::chrono::milliseconds timeout = std::chrono::seconds(5));
    bool waitReadsTaken(std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
    class Handle;
    friend class Handle;
    std::unique_ptr<HidHandle> open(const std::string& path, bool forReading);

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<HidInterfaceInfo> interfaces;
    std::deque<Read> reads;
    std::vector<Report> writtenReports;
    int generation = 0; // bumped by unplug
    int liveHandles = 0;
    int opens = 0;
    int enumerations = 0;
    int readersBlocked = 0;
    bool openReadFails = false;
    bool openWriteFails = false;
    bool writeFails = false;
};
