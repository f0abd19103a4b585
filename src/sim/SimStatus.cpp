#include "SimStatus.h"

#include "SettingsSchema.h"

#include <cstdio>
#include <ctime>

namespace {

// The link uptimes lag behind the system's: GSM registers, then GPRS comes up.
struct LiveUptime {
    const char* key;
    int lagSeconds;
};
constexpr LiveUptime kLinkUptimes[] = {
    {"GUTM", 9}, {"IUTM", 21}, {"GUTM1", 12}, {"IUTM1", 27},
};

const std::map<std::string, std::string>& fixedDefaults()
{
    static const std::map<std::string, std::string> values = {
        {"TPv", "BISORA-2G"}, {"HWv", "2.1"}, {"FWv", "1.22.4"}, {"VSU", "13650"},
        {"IN1", "1"}, {"IN2", "1"}, {"IN3", "1"}, {"IN4", "1"}, {"IN5", "1"}, {"IN6", "1"},
        {"RE1", "0"}, {"RE2", "0"}, {"RE3", "0"}, {"RE4", "0"}, {"RE5", "0"}, {"RE6", "0"},
        {"RFP", "17"}, {"GPN", "SIMNET A"}, {"RFP1", "21"}, {"GPN1", "SIMNET B"},
        {"GIPA", "10.64.12.7"}, {"GIPA1", "10.80.3.41"},
        {"T1A", "1"}, {"T2A", "1"}, {"T3A", "0"}, {"T4A", "0"},
        {"T1B", "1"}, {"T2B", "0"}, {"T3B", "0"}, {"T4B", "0"},
    };
    return values;
}

} // namespace

SimStatus::SimStatus(Clock::time_point boot)
    : m_boot(boot)
    , m_fixed(fixedDefaults())
{
}

std::string SimStatus::allRecords(Clock::time_point now) const
{
    std::string out;
    for (const auto& b : statusSchema())
        out += record(b.key, value(b.key, now).value_or(""));
    return out;
}

std::string SimStatus::tickRecords(Clock::time_point now)
{
    const auto& link = kLinkUptimes[m_nextLinkUptime];
    m_nextLinkUptime = (m_nextLinkUptime + 1) % int(std::size(kLinkUptimes));
    std::string out;
    for (const char* key : {"DTS", "SUTM", link.key})
        out += record(key, *liveValue(key, now));
    return out;
}

std::optional<std::string> SimStatus::value(const std::string& key, Clock::time_point now) const
{
    if (auto live = liveValue(key, now))
        return live;
    const auto it = m_fixed.find(key);
    if (it == m_fixed.end())
        return std::nullopt;
    return it->second;
}

bool SimStatus::set(const std::string& key, const std::string& value)
{
    const auto it = m_fixed.find(key);
    if (it == m_fixed.end())
        return false;
    it->second = value;
    return true;
}

std::string SimStatus::record(const std::string& key, const std::string& value)
{
    return "{" + key + "=" + value + "}";
}

std::string SimStatus::clockText(std::chrono::system_clock::time_point when)
{
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

std::string SimStatus::uptimeText(std::chrono::seconds up)
{
    const long long s = up.count() < 0 ? 0 : up.count();
    char text[64];
    std::snprintf(text, sizeof text, "%lldd %02lld:%02lld:%02lld", s / 86400, s / 3600 % 24,
                  s / 60 % 60, s % 60);
    return text;
}

std::optional<std::string> SimStatus::liveValue(const std::string& key,
                                                Clock::time_point now) const
{
    const auto up = std::chrono::duration_cast<std::chrono::seconds>(now - m_boot);
    if (key == "DTS")
        return clockText(std::chrono::system_clock::now());
    if (key == "SUTM")
        return uptimeText(up);
    for (const auto& link : kLinkUptimes)
        if (key == link.key)
            return uptimeText(up - std::chrono::seconds(link.lagSeconds));
    return std::nullopt;
}
