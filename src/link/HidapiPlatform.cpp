#include "HidapiPlatform.h"

#include <hidapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>

#include <dirent.h>
#include <sys/stat.h>

namespace {

// hid_read_timeout slice: released hidapi cannot cancel a blocking read, so a cancel takes
// effect between slices.
constexpr int kReadSliceMs = 50;

class HidapiHandle : public HidHandle
{
public:
    explicit HidapiHandle(hid_device* device)
        : device(device)
    {
    }
    ~HidapiHandle() override { hid_close(device); }

    int readReport(Report& report) override
    {
        // hidapi strips the report ID; our reports keep byte 0 = 0.
        while (!cancelled) {
            const int n = hid_read_timeout(device, report.data() + 1, kReportSize - 1,
                                           kReadSliceMs);
            if (n < 0)
                return -1;
            if (n > 0) {
                report[0] = 0;
                return std::min(n, static_cast<int>(kReportSize - 1)) + 1;
            }
        }
        return -1;
    }

    void cancelRead() override { cancelled = true; }

    bool writeReport(const Report& report) override
    {
        return hid_write(device, report.data(), report.size())
               == static_cast<int>(report.size());
    }

private:
    hid_device* device;
    std::atomic<bool> cancelled{false};
};

// The /dev/hidraw* nodes with their inode numbers: a re-plugged device gets a new node even
// when its name is reused.
using NodeSet = std::vector<std::pair<std::string, ino_t>>;

NodeSet hidrawNodes()
{
    NodeSet nodes;
    DIR* dir = opendir("/dev");
    if (!dir)
        return nodes;
    while (dirent* entry = readdir(dir)) {
        if (std::strncmp(entry->d_name, "hidraw", 6) != 0)
            continue;
        nodes.emplace_back(entry->d_name, entry->d_ino);
    }
    closedir(dir);
    std::sort(nodes.begin(), nodes.end());
    return nodes;
}

class HidapiPlatform : public HidPlatform
{
public:
    HidapiPlatform() { initialised = hid_init() == 0; }
    ~HidapiPlatform() override
    {
        if (initialised)
            hid_exit();
    }

    std::vector<HidInterfaceInfo> enumerate() override
    {
        if (!initialised)
            return {};
        // Polled every 10 ms while searching: a full enumeration only when the hidraw nodes
        // changed; the nodes are listed again only when /dev itself changed.
        struct stat dev{};
        const bool devKnown = ::stat("/dev", &dev) == 0;
        std::lock_guard lock(cacheMutex);
        if (cacheValid && devKnown && dev.st_mtim.tv_sec == devChanged.tv_sec
            && dev.st_mtim.tv_nsec == devChanged.tv_nsec)
            return cachedInterfaces;
        NodeSet nodes = hidrawNodes();
        devChanged = devKnown ? dev.st_mtim : timespec{};
        if (cacheValid && nodes == cachedNodes)
            return cachedInterfaces;
        cachedInterfaces.clear();
        hid_device_info* list = hid_enumerate(0, 0);
        for (hid_device_info* info = list; info; info = info->next) {
            if (!info->path)
                continue;
            // hidraw has no Windows hardware ids; build the equivalent first id.
            char id[64];
            std::snprintf(id, sizeof id, "HID\\VID_%04X&PID_%04X", info->vendor_id,
                          info->product_id);
            cachedInterfaces.push_back({id, info->path});
        }
        hid_free_enumeration(list);
        cachedNodes = std::move(nodes);
        cacheValid = true;
        return cachedInterfaces;
    }

    std::unique_ptr<HidHandle> openRead(const std::string& path) override { return open(path); }
    std::unique_ptr<HidHandle> openWrite(const std::string& path) override { return open(path); }

private:
    std::unique_ptr<HidHandle> open(const std::string& path)
    {
        if (!initialised)
            return nullptr;
        hid_device* device = hid_open_path(path.c_str());
        if (!device)
            return nullptr;
        return std::make_unique<HidapiHandle>(device);
    }

    bool initialised = false;
    std::mutex cacheMutex;
    bool cacheValid = false;
    timespec devChanged{};
    NodeSet cachedNodes;
    std::vector<HidInterfaceInfo> cachedInterfaces;
};

} // namespace

std::shared_ptr<HidPlatform> makeHidapiPlatform()
{
    return std::make_shared<HidapiPlatform>();
}
