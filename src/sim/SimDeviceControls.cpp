// What tests and demonstrations do to the device from outside: inputs, receivers, signal,
// supply, events, faults, options and the observation hooks.
#include "SimDevice.h"

#include <algorithm>

namespace {

const char* inputText(int state)
{
    switch (state) {
    case 0: return "alarm";
    case 1: return "restore";
    default: return "tamper";
    }
}

const char* receiverText(int state)
{
    static const char* const texts[] = {"not configured", "online", "online, ACK error",
                                        "offline", "offline, no response"};
    return texts[state];
}

bool validSim(char sim)
{
    return sim == 'A' || sim == 'B';
}

// An event line must stay one line whatever a caller hands in.
std::string oneLine(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}

int number(const std::optional<std::string>& text, int fallback)
{
    try {
        return text ? std::stoi(*text) : fallback;
    } catch (...) {
        return fallback;
    }
}

} // namespace

bool SimDevice::setInput(int input, int state)
{
    if (input < 1 || input > 6 || state < 0 || state > 3)
        return false;
    std::lock_guard lock(m_mutex);
    const std::string key = "IN" + std::to_string(input);
    if (m_status.value(key, Clock::now()) == std::to_string(state))
        return true;
    statusChanged(key, std::to_string(state));
    const std::string text = "Zone " + std::to_string(input) + " " + inputText(state);
    eventLocked("SIM_A", text);
    eventLocked("SIM_B", text);
    return true;
}

bool SimDevice::setReceiver(char sim, int receiver, int state)
{
    if (!validSim(sim) || receiver < 1 || receiver > 4 || state < 0 || state > 4)
        return false;
    std::lock_guard lock(m_mutex);
    const std::string name = std::to_string(receiver) + sim;
    const std::string key = "T" + name;
    if (m_status.value(key, Clock::now()) == std::to_string(state))
        return true;
    statusChanged(key, std::to_string(state));
    // Receivers 1 and 3 share a tag, 2 and 4 the other.
    const int pair = receiver % 2 == 1 ? 1 : 2;
    const std::string tag = "s_" + std::to_string(pair) + sim + "/" + std::to_string(pair + 2) + sim;
    eventLocked(tag, "Receiver " + name + " " + receiverText(state));
    return true;
}

bool SimDevice::setSignal(char sim, int level)
{
    if (!validSim(sim) || level < 0 || level > 31)
        return false;
    std::lock_guard lock(m_mutex);
    statusChanged(sim == 'A' ? "RFP" : "RFP1", std::to_string(level));
    return true;
}

bool SimDevice::setSupply(int millivolts)
{
    if (millivolts < 0 || millivolts > 40000)
        return false;
    std::lock_guard lock(m_mutex);
    statusChanged("VSU", std::to_string(millivolts));
    const int low = number(storedLocked("BATT:RANG.LOW"), 11500);
    const int restore = number(storedLocked("BATT:RANG.RES"), 12200);
    const char* event = nullptr;
    if (!m_batteryLow && millivolts < low)
        event = "Battery low";
    else if (m_batteryLow && millivolts >= restore)
        event = "Battery restore";
    if (event) {
        m_batteryLow = !m_batteryLow;
        eventLocked("SIM_A", event);
        eventLocked("SIM_B", event);
    }
    return true;
}

bool SimDevice::sendEvent(const std::string& tag, const std::string& text)
{
    if (tag.empty() || tag.find_first_of(" \t\r\n<>") != std::string::npos)
        return false;
    std::lock_guard lock(m_mutex);
    if (m_session == 0)
        return false;
    eventLocked(tag, oneLine(text));
    return true;
}

void SimDevice::sendStatus()
{
    std::lock_guard lock(m_mutex);
    send(kStatusSlot, m_status.allRecords(Clock::now()), false);
}

void SimDevice::statusChanged(const std::string& key, const std::string& value)
{
    m_status.set(key, value);
    send(kStatusSlot, SimStatus::record(key, value), false);
}

void SimDevice::eventLocked(const std::string& tag, const std::string& text)
{
    const std::string line = "[" + SimStatus::clockText(std::chrono::system_clock::now()) + "] <"
                             + tag + "> (" + text + ")\r\n";
    send(kEventSlot, line, false);
}

void SimDevice::silenceNextRequests(int count)
{
    std::lock_guard lock(m_mutex);
    m_silence = std::max(count, 0);
}

void SimDevice::setReplyDelay(std::chrono::microseconds delay)
{
    std::lock_guard lock(m_mutex);
    m_delay = std::max(delay, std::chrono::microseconds(0));
}

void SimDevice::corruptNextFrames(int count)
{
    std::lock_guard lock(m_mutex);
    m_corrupt = std::max(count, 0);
}

void SimDevice::insertNoise(int bytes)
{
    std::lock_guard lock(m_mutex);
    m_noise = std::clamp(bytes, 0, 65536);
}

void SimDevice::detachAfterReports(int count)
{
    std::lock_guard lock(m_mutex);
    m_detachAfter = std::max(count, 0);
}

void SimDevice::silenceKey(const std::string& key)
{
    std::lock_guard lock(m_mutex);
    m_keyFaults[key] = std::nullopt;
}

void SimDevice::answerKeyWith(const std::string& key, const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_keyFaults[key] = text;
}

bool SimDevice::sendStray(std::uint16_t slot, const std::string& text)
{
    std::lock_guard lock(m_mutex);
    if (m_session == 0 || text.empty())
        return false;
    send(slot, text, false);
    return true;
}

void SimDevice::clearFaults()
{
    std::lock_guard lock(m_mutex);
    m_keyFaults.clear();
    m_silence = m_corrupt = m_noise = m_detachAfter = 0;
    m_delay = std::chrono::microseconds(0);
}

void SimDevice::setTiming(SimTiming timing)
{
    std::lock_guard lock(m_mutex);
    m_options.timing.reportInterval = std::max(timing.reportInterval, std::chrono::microseconds(0));
    m_options.timing.thinkTime = std::max(timing.thinkTime, std::chrono::microseconds(0));
}

SimTiming SimDevice::timing() const
{
    std::lock_guard lock(m_mutex);
    return m_options.timing;
}

void SimDevice::setPacking(SimPacking packing)
{
    std::lock_guard lock(m_mutex);
    m_stream.setPacking(packing);
}

void SimDevice::setLiveStatus(bool on)
{
    std::lock_guard lock(m_mutex);
    m_options.liveStatus = on;
    m_nextTick = Clock::now() + std::chrono::seconds(1);
    m_wake.notify_all();
}

void SimDevice::setRequireLogin(bool on)
{
    std::lock_guard lock(m_mutex);
    m_options.requireLogin = on;
}

std::optional<std::string> SimDevice::storedLocked(const std::string& key) const
{
    const auto it = m_store.find(key);
    if (it == m_store.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::string> SimDevice::property(const std::string& key) const
{
    std::lock_guard lock(m_mutex);
    return storedLocked(key);
}

bool SimDevice::setProperty(const std::string& key, const std::string& value)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_store.find(key);
    if (it == m_store.end())
        return false;
    it->second = value;
    return true;
}

std::optional<std::string> SimDevice::statusValue(const std::string& key) const
{
    std::lock_guard lock(m_mutex);
    return m_status.value(key, Clock::now());
}

std::string SimDevice::password() const
{
    std::lock_guard lock(m_mutex);
    return m_options.password;
}

bool SimDevice::loggedIn() const
{
    std::lock_guard lock(m_mutex);
    return m_loggedIn;
}

std::vector<std::string> SimDevice::requestLog(std::uint16_t slot) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_log.find(slot);
    return it == m_log.end() ? std::vector<std::string>{} : it->second;
}

SimCounters SimDevice::counters() const
{
    std::lock_guard lock(m_mutex);
    return m_counters;
}

std::size_t SimDevice::queuedReports() const
{
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

void SimDevice::setLogger(std::function<void(const std::string&)> logger)
{
    std::lock_guard lock(m_mutex);
    m_logger = std::move(logger);
}
