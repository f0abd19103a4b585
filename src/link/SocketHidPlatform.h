#pragma once
// HidPlatform over a local socket ("socket:PATH"): a UNIX stream socket that carries each
// report as exactly 65 bytes in both directions. Listed while a socket exists at PATH; the
// read and the write handle share one connection; the connection closing is a detach.

#include "HidPlatform.h"

#include <memory>
#include <string>

constexpr char kSocketEndpointPrefix[] = "socket:";
constexpr char kSocketHardwareId[] = "HID\\VID_04D8&PID_0054";

// path may carry the "socket:" prefix.
std::shared_ptr<HidPlatform> makeSocketPlatform(std::string path);
