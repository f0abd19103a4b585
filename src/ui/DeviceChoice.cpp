#include "DeviceChoice.h"

#include "HidapiPlatform.h"
#include "SimDevice.h"
#include "SimHidPlatform.h"
#include "SocketHidPlatform.h"

std::optional<DeviceChoice> chooseDevice(const QString& device, QString* error)
{
    DeviceChoice choice;
    if (device == QLatin1String("usb")) {
        choice.platform = makeHidapiPlatform();
    } else if (device == QLatin1String("sim")) {
        choice.simDevice = std::make_shared<SimDevice>();
        choice.platform = makeSimPlatform(choice.simDevice);
    } else if (device.startsWith(QLatin1String("socket:")) && device.size() > 7) {
        choice.platform = makeSocketPlatform(device.mid(7).toStdString());
    } else {
        if (error)
            *error = QStringLiteral("Unknown device \"%1\": use %2").arg(device, QString::fromLatin1(kDeviceOptionHelp));
        return std::nullopt;
    }
    return choice;
}
