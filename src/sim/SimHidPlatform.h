#pragma once
// The simulated device behind the HID platform seam, in the same process: listed as
// "HID\VID_04D8&PID_0054" at path "sim:0" while plugged in.

#include "HidPlatform.h"

#include <memory>

class SimDevice;

std::shared_ptr<HidPlatform> makeSimPlatform(std::shared_ptr<SimDevice> device);
