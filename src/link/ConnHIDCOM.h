#pragma once
// The physical connection over USB HID: HID moves bytes in 65-byte reports; ConnHIDCOM runs
// the reader thread that finds the device, reads its reports, notices its removal and looks
// for it again.

#include "ConnectionInterface.h"
#include "HidPlatform.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

constexpr std::size_t kReportPayloadSize = 60;
constexpr std::size_t kReportPayloadOffset = 5;
inline constexpr char kStateAttached[] = "Attached";
inline constexpr char kStateDetached[] = "Detached";
inline constexpr char kHardwareIdPattern[] = "Vid_04d8&Pid_0054";

class HID
{
public:
    explicit HID(std::shared_ptr<HidPlatform> platform);
    ~HID();
    HID(const HID&) = delete;
    HID& operator=(const HID&) = delete;

    std::string devicePath;
    OnChangeStateList listeners;

    bool FindDevice();
    void OpenDevice();
    bool WriteData(const std::uint8_t* bytes, int count);
    void NotifyState(const char* state);

    // Reader thread only: one input report into report; -1 when the read failed or was
    // cancelled, else the number of bytes read.
    int readReport(Report& report);
    // Any thread: ends the pending (or next) read.
    void cancelRead();
    // Reader thread: clears attached, notifies "Detached" when notify is set, releases both
    // handles. Never overlaps a report write.
    void detach(bool notify);

    bool isAttached() const { return attached.load(); }

private:
    std::shared_ptr<HidPlatform> platform;
    std::atomic<bool> attached{false};
    std::mutex handleMutex; // around each report write, the cancel and the handles' release
    std::unique_ptr<HidHandle> readHandle;
    std::unique_ptr<HidHandle> writeHandle;
};

class ConnHIDCOM : public Connection
{
public:
    explicit ConnHIDCOM(std::shared_ptr<HidPlatform> platform);
    ~ConnHIDCOM() override;

    OnChangeStateList stateListeners;

    bool IsOpen() override;
    void Write(const std::uint8_t* bytes, int count) override;
    void WriteText(std::string_view text) override;
    bool Open() override;
    void Close() override;
    std::string GetName() override;
    bool IsAttached();

    void NotifyState(const char* state);

private:
    class HIDChangeStateEvent;
    void ReaderThread();
    bool waitForStop(std::chrono::milliseconds timeout);

    std::string name = "HID";
    std::shared_ptr<HidPlatform> platform;
    // Created by Open; kept until the next Open or destruction so that a writer never sees it
    // vanish. hidActive marks it as "existing" in the sense of IsOpen.
    std::unique_ptr<HID> hid;
    std::unique_ptr<HIDChangeStateEvent> forwarder;
    std::atomic<bool> hidActive{false};
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> closeStarted{false};
    std::atomic<bool> threadFinished{false};
    std::mutex wakeMutex;
    std::condition_variable wake; // ends the search pause and Close's waits early
    std::thread reader;
};
