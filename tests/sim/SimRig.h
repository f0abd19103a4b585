#pragma once
// A simulated device with the host's link attached to it in-process.

#include "SimDevice.h"
#include "SimHidPlatform.h"
#include "SimHost.h"

#include <memory>

// No pacing and no ticking: fast, deterministic tests.
inline SimOptions fastOptions()
{
    SimOptions o;
    o.timing = {std::chrono::microseconds(0), std::chrono::microseconds(0)};
    o.liveStatus = false;
    return o;
}

struct SimRig {
    explicit SimRig(SimOptions options = fastOptions())
        : device(std::make_shared<SimDevice>(options))
        , platform(makeSimPlatform(device))
        , host(platform)
    {
    }

    std::shared_ptr<SimDevice> device;
    std::shared_ptr<HidPlatform> platform;
    SimHost host;
};

inline std::string query(const std::string& key)
{
    return "PROP => " + key + "?\r\n";
}

inline std::string setLine(const std::string& key, const std::string& value)
{
    return "PROP => " + key + "=" + value + "\r\n";
}

// The records "{K=V}" of a status text, in order.
inline std::vector<std::pair<std::string, std::string>> records(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t at = 0;;) {
        const auto open = text.find('{', at);
        const auto close = text.find('}', open);
        if (open == std::string::npos || close == std::string::npos)
            return out;
        const auto body = text.substr(open + 1, close - open - 1);
        const auto eq = body.find('=');
        out.emplace_back(body.substr(0, eq), eq == std::string::npos ? "" : body.substr(eq + 1));
        at = close + 1;
    }
}
