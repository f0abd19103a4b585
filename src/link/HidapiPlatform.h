#pragma once
// HidPlatform over hidapi (hidraw backend): real devices.

#include "HidPlatform.h"

#include <memory>

std::shared_ptr<HidPlatform> makeHidapiPlatform();
