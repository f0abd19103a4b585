#pragma once
// The values the device reports on its status slot: fixed ones it stores (versions, inputs,
// signal, receivers, ...) and live ones it computes (its clock and the uptimes).

#include <chrono>
#include <map>
#include <optional>
#include <string>

class SimStatus
{
public:
    using Clock = std::chrono::steady_clock;

    explicit SimStatus(Clock::time_point boot = Clock::now());

    // "{KEY=VALUE}" for each of the 36 status keys, in table order.
    std::string allRecords(Clock::time_point now) const;
    // The records of the live values that change this second: the clock, the system uptime
    // and one of the four link uptimes in turn, so a tick costs three records.
    std::string tickRecords(Clock::time_point now);

    std::optional<std::string> value(const std::string& key, Clock::time_point now) const;
    // Stores a fixed value; false for a key that is not a status key or is a live one.
    bool set(const std::string& key, const std::string& value);

    static std::string record(const std::string& key, const std::string& value);
    // The device clock as "YYYY-MM-DD hh:mm:ss" (local time).
    static std::string clockText(std::chrono::system_clock::time_point when);
    static std::string uptimeText(std::chrono::seconds up);

private:
    std::optional<std::string> liveValue(const std::string& key, Clock::time_point now) const;

    Clock::time_point m_boot;
    std::map<std::string, std::string> m_fixed;
    int m_nextLinkUptime = 0;
};
