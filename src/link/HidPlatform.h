#pragma once
// The few operating-system services the HID class needs. Implementations: hidapi (real
// devices), the in-process simulated device and the local socket endpoint.
//
// Threading contract: a read handle is used by exactly one thread (the reader), except for
// cancelRead(), which any thread may call at any time while the handle exists. A write handle
// is used by one thread at a time; the caller serialises writes against closing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr std::size_t kReportSize = 65; // byte 0 is the report ID (always 0)
using Report = std::array<std::uint8_t, kReportSize>;

struct HidInterfaceInfo {
    std::string hardwareId; // the first hardware id only, e.g. "HID\VID_04D8&PID_0054&MI_00"
    std::string path;
};

class HidHandle
{
public:
    virtual ~HidHandle() = default;

    // Waits for one whole input report. Returns the number of bytes read (0..65), or -1 when
    // the device failed or cancelRead() ended the wait: a cancelled read is a failed read.
    virtual int readReport(Report& report) = 0;

    // Ends a pending (or the next) readReport() from another thread.
    virtual void cancelRead() = 0;

    // Writes one whole output report; false when the device refused it.
    virtual bool writeReport(const Report& report) = 0;
};

class HidPlatform
{
public:
    virtual ~HidPlatform() = default;

    // The present HID interfaces. Called every 10 ms while no device is attached, so a call
    // that finds nothing new must be cheap.
    virtual std::vector<HidInterfaceInfo> enumerate() = 0;

    // Open a path for reading (cancellable waits) or for writing; null on failure.
    virtual std::unique_ptr<HidHandle> openRead(const std::string& path) = 0;
    virtual std::unique_ptr<HidHandle> openWrite(const std::string& path) = 0;
};
