#include "SimHidPlatform.h"

#include "SimDevice.h"

#include <atomic>

namespace {

constexpr const char* kPath = "sim:0";

// One handle of one attachment: once the device is unplugged it fails for good, as a
// handle to a vanished USB device does.
class SimHandle : public HidHandle
{
public:
    SimHandle(std::shared_ptr<SimDevice> device, std::uint64_t session)
        : m_device(std::move(device))
        , m_session(session)
    {
    }

    int readReport(Report& report) override
    {
        return m_device->hostRead(m_session, report, m_cancelled);
    }

    void cancelRead() override
    {
        m_cancelled = true;
        m_device->wakeReaders();
    }

    bool writeReport(const Report& report) override
    {
        return m_device->hostWrite(m_session, report);
    }

private:
    std::shared_ptr<SimDevice> m_device;
    std::uint64_t m_session;
    std::atomic<bool> m_cancelled{false};
};

class SimHidPlatform : public HidPlatform
{
public:
    explicit SimHidPlatform(std::shared_ptr<SimDevice> device)
        : m_device(std::move(device))
    {
    }

    std::vector<HidInterfaceInfo> enumerate() override
    {
        if (!m_device->isPlugged())
            return {};
        return {{SimDevice::kHardwareId, kPath}};
    }

    std::unique_ptr<HidHandle> openRead(const std::string& path) override { return open(path); }
    std::unique_ptr<HidHandle> openWrite(const std::string& path) override { return open(path); }

private:
    std::unique_ptr<HidHandle> open(const std::string& path)
    {
        const auto session = m_device->session();
        if (path != kPath || session == 0)
            return nullptr;
        return std::make_unique<SimHandle>(m_device, session);
    }

    std::shared_ptr<SimDevice> m_device;
};

} // namespace

std::shared_ptr<HidPlatform> makeSimPlatform(std::shared_ptr<SimDevice> device)
{
    return std::make_shared<SimHidPlatform>(std::move(device));
}
