#include "FakeHidPlatform.h"

#include <algorithm>
#include <cstring>

class FakeHidPlatform::Handle : public HidHandle
{
public:
    Handle(FakeHidPlatform& platform, int generation)
        : platform(platform)
        , generation(generation)
    {
    }
    ~Handle() override
    {
        {
            std::lock_guard lock(platform.mutex);
            --platform.liveHandles;
        }
        platform.changed.notify_all();
    }

    int readReport(Report& report) override
    {
        std::unique_lock lock(platform.mutex);
        ++platform.readersBlocked;
        platform.changed.notify_all();
        platform.changed.wait(lock, [&] {
            return cancelled || generation != platform.generation || !platform.reads.empty();
        });
        --platform.readersBlocked;
        if (cancelled || generation != platform.generation)
            return -1;
        const Read read = platform.reads.front();
        platform.reads.pop_front();
        platform.changed.notify_all();
        if (read.length >= 0)
            report = read.report;
        return read.length;
    }

    void cancelRead() override
    {
        {
            std::lock_guard lock(platform.mutex);
            cancelled = true;
        }
        platform.changed.notify_all();
    }

    bool writeReport(const Report& report) override
    {
        std::lock_guard lock(platform.mutex);
        if (platform.writeFails || generation != platform.generation)
            return false;
        platform.writtenReports.push_back(report);
        return true;
    }

private:
    FakeHidPlatform& platform;
    int generation;
    bool cancelled = false; // guarded by platform.mutex
};

std::vector<HidInterfaceInfo> FakeHidPlatform::enumerate()
{
    std::vector<HidInterfaceInfo> result;
    {
        std::lock_guard lock(mutex);
        ++enumerations;
        result = interfaces;
    }
    changed.notify_all();
    return result;
}

std::unique_ptr<HidHandle> FakeHidPlatform::openRead(const std::string& path)
{
    return open(path, true);
}

std::unique_ptr<HidHandle> FakeHidPlatform::openWrite(const std::string& path)
{
    return open(path, false);
}

std::unique_ptr<HidHandle> FakeHidPlatform::open(const std::string& path, bool forReading)
{
    std::unique_lock lock(mutex);
    const bool present = std::any_of(interfaces.begin(), interfaces.end(),
                                     [&](const HidInterfaceInfo& i) { return i.path == path; });
    if (!present || (forReading ? openReadFails : openWriteFails))
        return nullptr;
    ++liveHandles;
    ++opens;
    auto handle = std::make_unique<Handle>(*this, generation);
    lock.unlock();
    changed.notify_all();
    return handle;
}

void FakeHidPlatform::setInterfaces(std::vector<HidInterfaceInfo> list)
{
    std::lock_guard lock(mutex);
    interfaces = std::move(list);
}

void FakeHidPlatform::plug()
{
    setInterfaces({{kFakeId, kFakePath}});
}

void FakeHidPlatform::unplug()
{
    {
        std::lock_guard lock(mutex);
        interfaces.clear();
        reads.clear();
        ++generation;
    }
    changed.notify_all();
}

void FakeHidPlatform::push(const Read& read)
{
    {
        std::lock_guard lock(mutex);
        reads.push_back(read);
    }
    changed.notify_all();
}

void FakeHidPlatform::pushData(const std::vector<std::uint8_t>& payload)
{
    Read read;
    read.report[1] = 1;
    read.report[2] = static_cast<std::uint8_t>(payload.size());
    std::copy_n(payload.begin(), std::min<std::size_t>(payload.size(), 60),
                read.report.begin() + 5);
    push(read);
}

void FakeHidPlatform::setOpenFails(bool readFails, bool writeFailsToo)
{
    std::lock_guard lock(mutex);
    openReadFails = readFails;
    openWriteFails = writeFailsToo;
}

void FakeHidPlatform::setWriteFails(bool fails)
{
    std::lock_guard lock(mutex);
    writeFails = fails;
}

std::vector<Report> FakeHidPlatform::written()
{
    std::lock_guard lock(mutex);
    return writtenReports;
}

int FakeHidPlatform::openHandles()
{
    std::lock_guard lock(mutex);
    return liveHandles;
}

int FakeHidPlatform::opensCount()
{
    std::lock_guard lock(mutex);
    return opens;
}

bool FakeHidPlatform::waitReaderBlocked(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return readersBlocked > 0; });
}

bool FakeHidPlatform::waitOpenHandles(int count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return liveHandles == count; });
}

bool FakeHidPlatform::waitReadsTaken(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return reads.empty() && readersBlocked > 0; });
}

bool FakeHidPlatform::waitEnumerations(int count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex);
    const int target = enumerations + count;
    return changed.wait_for(lock, timeout, [&] { return enumerations >= target; });
}
