#include "ConnHIDCOM.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A platform may hand over a whole hardware-id list separated by zero bytes; only the first
// id counts.
std::string firstHardwareId(const std::string& ids)
{
    return ids.substr(0, ids.find('\0'));
}

constexpr std::chrono::milliseconds kPollInterval{10};
constexpr std::chrono::milliseconds kCancelInterval{10};

} // namespace

// ---- HID

HID::HID(std::shared_ptr<HidPlatform> platform)
    : platform(std::move(platform))
{
}

HID::~HID() = default;

bool HID::FindDevice()
{
    if (!platform)
        return false;
    const std::string pattern = lowerCase(kHardwareIdPattern);
    for (const HidInterfaceInfo& info : platform->enumerate()) {
        if (info.path.empty())
            continue;
        if (lowerCase(firstHardwareId(info.hardwareId)).find(pattern) != std::string::npos) {
            devicePath = info.path;
            return true;
        }
    }
    return false;
}

void HID::OpenDevice()
{
    if (!FindDevice())
        return;
    std::unique_ptr<HidHandle> reading = platform->openRead(devicePath);
    if (!reading)
        return;
    std::unique_ptr<HidHandle> writing = platform->openWrite(devicePath);
    if (!writing)
        return;
    {
        std::lock_guard lock(handleMutex);
        readHandle = std::move(reading);
        writeHandle = std::move(writing);
        attached = true;
    }
    NotifyState(kStateAttached);
}

bool HID::WriteData(const std::uint8_t* bytes, int count)
{
    if (!attached || !bytes || count <= 0)
        return true;
    for (int offset = 0; offset < count; offset += static_cast<int>(kReportPayloadSize)) {
        const int n = std::min(static_cast<int>(kReportPayloadSize), count - offset);
        Report report{};
        report[1] = 1;
        report[2] = static_cast<std::uint8_t>(n);
        std::memcpy(report.data() + kReportPayloadOffset, bytes + offset,
                    static_cast<std::size_t>(n));
        std::lock_guard lock(handleMutex);
        // Checked again under the lock: the reader may have detached since.
        if (!attached || !writeHandle || !writeHandle->writeReport(report))
            break;
    }
    return true;
}

void HID::NotifyState(const char* state)
{
    listeners.notify(state);
}

int HID::readReport(Report& report)
{
    // Only the reader thread replaces readHandle, so it may use it without the lock.
    if (!readHandle)
        return -1;
    const int n = readHandle->readReport(report);
    return n < 0 ? -1 : std::min(n, static_cast<int>(kReportSize));
}

void HID::cancelRead()
{
    std::lock_guard lock(handleMutex);
    if (readHandle)
        readHandle->cancelRead();
}

void HID::detach(bool notify)
{
    {
        std::lock_guard lock(handleMutex);
        attached = false;
    }
    // Not under the lock: a listener may write, and the hand-over may take a while.
    if (notify)
        NotifyState(kStateDetached);
    std::lock_guard lock(handleMutex);
    readHandle.reset();
    writeHandle.reset();
}

// ---- ConnHIDCOM

class ConnHIDCOM::HIDChangeStateEvent : public ChangeStateEvent
{
public:
    explicit HIDChangeStateEvent(ConnHIDCOM* owner)
        : owner(owner)
    {
    }
    void OnChangeState(const char* state) override { owner->NotifyState(state); }

private:
    ConnHIDCOM* owner;
};

ConnHIDCOM::ConnHIDCOM(std::shared_ptr<HidPlatform> platform)
    : platform(std::move(platform))
{
}

ConnHIDCOM::~ConnHIDCOM()
{
    Close();
}

bool ConnHIDCOM::IsOpen()
{
    return hidActive;
}

void ConnHIDCOM::Write(const std::uint8_t* bytes, int count)
{
    if (hidActive && hid)
        hid->WriteData(bytes, count);
}

void ConnHIDCOM::WriteText(std::string_view text)
{
    Write(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<int>(text.size()));
}

bool ConnHIDCOM::Open()
{
    if (reader.joinable()) {
        if (!threadFinished)
            return true; // already running
        reader.join();
    }
    stopRequested = false;
    closeStarted = false;
    threadFinished = false;
    hid = std::make_unique<HID>(platform);
    forwarder = std::make_unique<HIDChangeStateEvent>(this);
    hid->listeners.append(forwarder.get());
    hidActive = true;
    reader = std::thread(&ConnHIDCOM::ReaderThread, this);
    return true;
}

void ConnHIDCOM::Close()
{
    if (!reader.joinable())
        return;
    if (reader.get_id() == std::this_thread::get_id()) {
        // From a listener on the reader thread: it cannot wait for itself.
        closeStarted = true;
        stopRequested = true;
        return;
    }
    closeStarted = true; // no new open attempts from here on
    const auto attachedOrDone = [this] { return !hid->isAttached() || threadFinished; };
    while (!attachedOrDone()) {
        hid->cancelRead();
        std::unique_lock lock(wakeMutex);
        wake.wait_for(lock, kCancelInterval, [&] { return attachedOrDone(); });
    }
    {
        std::lock_guard lock(wakeMutex);
        stopRequested = true;
    }
    wake.notify_all();
    // An open attempt that was already under way may still attach: cancel until the end.
    while (!threadFinished) {
        if (hid->isAttached())
            hid->cancelRead();
        std::unique_lock lock(wakeMutex);
        wake.wait_for(lock, kCancelInterval, [this] { return threadFinished.load(); });
    }
    reader.join();
}

std::string ConnHIDCOM::GetName()
{
    return name;
}

bool ConnHIDCOM::IsAttached()
{
    return IsOpen() && hid && hid->isAttached();
}

void ConnHIDCOM::NotifyState(const char* state)
{
    stateListeners.notify(state);
}

bool ConnHIDCOM::waitForStop(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(wakeMutex);
    return wake.wait_for(lock, timeout, [this] { return stopRequested.load(); });
}

void ConnHIDCOM::ReaderThread()
{
    threadFinished = false;
    Report report{};
    while (!stopRequested) {
        if (hid->isAttached()) {
            report.fill(0); // a short read must not leave an old report's bytes behind
            const int n = hid->readReport(report);
            if (n < 0) {
                hid->detach(true);
                wake.notify_all();
                continue;
            }
            const int length = report[2];
            // Not a data report, an empty read, or a length that would run past what was read.
            if (n < 1 || report[1] != 1 || length > static_cast<int>(kReportPayloadSize)
                || static_cast<int>(kReportPayloadOffset) + length > n)
                continue;
            OnReceive(report.data() + kReportPayloadOffset, length);
        } else {
            if (waitForStop(kPollInterval))
                break;
            if (!closeStarted)
                hid->OpenDevice();
        }
    }
    hid->detach(false);
    hid->NotifyState(kStateDetached);
    hidActive = false;
    {
        std::lock_guard lock(wakeMutex);
        threadFinished = true;
    }
    wake.notify_all();
}
