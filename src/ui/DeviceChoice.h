#pragma once
// Which device the program talks to: "usb" (a real device through hidapi), "sim" (the
// built-in simulated device) or "socket:PATH" (a device end serving a local socket).

#include <QString>

#include <memory>
#include <optional>

class HidPlatform;
class SimDevice;

struct DeviceChoice {
    std::shared_ptr<HidPlatform> platform;
    std::shared_ptr<SimDevice> simDevice; // set for "sim" only
};

// Nothing, with *error set, when the text names no device.
std::optional<DeviceChoice> chooseDevice(const QString& device, QString* error);

inline constexpr char kDeviceOptionHelp[] =
    "usb (a device on USB, the default), sim (the built-in simulated device) or "
    "socket:PATH (a device served on a local socket, e.g. by bisora-sim --listen PATH)";
