// Any sequence of input reports (any length, any header, failed reads among them) through the
// reader thread to the three channels: no out-of-bounds access, every payload handed on fits
// its report, and the reader keeps going after every one of them.

#include "ConnHIDCOM.h"
#include "FuzzCheck.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace {

using namespace std::chrono_literals;

struct Read {
    Report report{};
    int length = -1; // -1: the read fails
};

// The device stays present; reads come from the queue and wait while it is empty.
class QueuePlatform : public HidPlatform
{
public:
    class Handle : public HidHandle
    {
    public:
        explicit Handle(QueuePlatform& owner) : owner(owner) {}
        int readReport(Report& report) override { return owner.take(report, cancelled); }
        void cancelRead() override
        {
            std::lock_guard lock(owner.mutex);
            cancelled = true;
            owner.changed.notify_all();
        }
        bool writeReport(const Report&) override { return true; }

    private:
        QueuePlatform& owner;
        bool cancelled = false; // guarded by owner.mutex
    };

    std::vector<HidInterfaceInfo> enumerate() override
    {
        return {{"HID\\VID_04D8&PID_0054&MI_00", "/fuzz/hidraw0"}};
    }
    std::unique_ptr<HidHandle> openRead(const std::string&) override
    {
        return std::make_unique<Handle>(*this);
    }
    std::unique_ptr<HidHandle> openWrite(const std::string&) override
    {
        return std::make_unique<Handle>(*this);
    }

    void push(std::deque<Read> more)
    {
        std::lock_guard lock(mutex);
        for (Read& read : more)
            reads.push_back(read);
        changed.notify_all();
    }

    // True once every queued read was taken and the reader is back waiting for the next,
    // that is, it has handled all of them.
    bool waitDrained(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, timeout, [this] { return reads.empty() && waiting; });
    }

private:
    int take(Report& report, bool& cancelled)
    {
        std::unique_lock lock(mutex);
        waiting = true;
        changed.notify_all();
        changed.wait(lock, [&] { return !reads.empty() || cancelled; });
        waiting = false;
        if (cancelled)
            return -1;
        const Read read = reads.front();
        reads.pop_front();
        report = read.report;
        return read.length;
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Read> reads;
    bool waiting = false;
};

struct Channel {
    std::size_t bytes = 0;
};

void count(void* context, const std::uint8_t* bytes, int n)
{
    FUZZ_CHECK(n >= 0 && n <= static_cast<int>(kSlotPayloadSize));
    FUZZ_CHECK(n == 0 || bytes != nullptr);
    static_cast<Channel*>(context)->bytes += static_cast<std::size_t>(n);
}

// What the connection itself hands to its slots: at most one report's payload at a time.
class RawTap : public Connection
{
public:
    bool IsOpen() override { return true; }
    void Write(const std::uint8_t*, int) override {}
    void WriteText(std::string_view) override {}
    bool Open() override { return true; }
    void Close() override {}
    std::string GetName() override { return "tap"; }
    void OnReceive(const std::uint8_t* bytes, int n) override
    {
        FUZZ_CHECK(n >= 0 && n <= static_cast<int>(kReportPayloadSize));
        volatile std::uint8_t sum = 0;
        for (int i = 0; i < n; ++i)
            sum = static_cast<std::uint8_t>(sum + bytes[i]); // ASan checks every byte is real
        (void)sum;
    }
};

// One connection for the whole run: starting a reader per input would measure thread start-up.
struct Rig {
    std::shared_ptr<QueuePlatform> platform = std::make_shared<QueuePlatform>();
    ConnHIDCOM connection{platform};
    RawTap tap;
    Channel channels[3];
    std::unique_ptr<Slot> slots[3];
    std::unique_ptr<ResponseConnection> receivers[3];

    Rig()
    {
        connection.receivers.append(&tap);
        const std::uint16_t ids[3] = {6, 4, 3};
        for (int i = 0; i < 3; ++i) {
            slots[i] = connection.CreateSlot(ids[i]);
            receivers[i] = std::make_unique<ResponseConnection>(&channels[i], &count);
            slots[i]->receivers.append(receivers[i].get());
        }
        connection.Open();
    }
};

Rig& rig()
{
    static Rig* instance = new Rig; // never destroyed: libFuzzer exits without unwinding
    return *instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Rig& r = rig();
    FrontReader input(data, size);
    std::deque<Read> reads;
    bool detached = false;
    while (!input.atEnd() && reads.size() < 64) {
        Read read;
        // A length byte (0..65; 255 a failed read, a detach, at most one per input: each
        // costs a new search), then the bytes read.
        const int selector = input.byte();
        read.length = selector == 255 && !detached ? -1 : selector % static_cast<int>(kReportSize + 1);
        detached = detached || read.length < 0;
        const std::vector<std::uint8_t> bytes =
            input.bytes(static_cast<std::size_t>(std::max(read.length, 0)));
        std::copy(bytes.begin(), bytes.end(), read.report.begin());
        reads.push_back(read);
    }
    r.platform->push(std::move(reads));
    // A hang of the reader is a finding too.
    FUZZ_CHECK(r.platform->waitDrained(10s));
    FUZZ_CHECK(r.connection.IsOpen());
    return 0;
}
