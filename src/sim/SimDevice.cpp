// The device's lifecycle, its report pipe and its text protocol. Controls, faults and
// observation hooks are in SimDeviceControls.cpp.
#include "SimDevice.h"

#include "ConnectionInterface.h"
#include "SettingsSchema.h"

#include <algorithm>
#include <thread>

namespace {

constexpr std::string_view kPropPrefix = "PROP => ";
constexpr std::string_view kPasswordPrefix = "set REM:UPW ";
constexpr std::string_view kTestReportKey = "MSTST:STATE.TS";
constexpr std::size_t kMaxLine = 1024; // a longer line is noise, not a request
constexpr auto kTick = std::chrono::seconds(1);

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

std::string ok(const std::string& text)
{
    return text + "\r\nOK\r\n";
}

} // namespace

SimDevice::SimDevice(SimOptions options)
    : m_options(std::move(options))
    , m_stream(m_options.packing)
    , m_deframer({kCommandSlot, kStatusSlot, kEventSlot},
                 [this](std::uint16_t slot, std::string_view payload) { received(slot, payload); })
{
    for (const auto& b : settingsSchema())
        m_store[b.key] = designValue(b.field);
    m_store[std::string(kTestReportKey)] = "0";
    std::lock_guard lock(m_mutex);
    startSessionLocked();
}

SimDevice::~SimDevice() = default;

void SimDevice::plug()
{
    std::lock_guard lock(m_mutex);
    if (m_plugged)
        return;
    m_plugged = true;
    startSessionLocked();
}

void SimDevice::unplug()
{
    std::lock_guard lock(m_mutex);
    m_plugged = false;
    endSessionLocked();
}

bool SimDevice::isPlugged() const
{
    std::lock_guard lock(m_mutex);
    return m_plugged;
}

std::uint64_t SimDevice::session() const
{
    std::lock_guard lock(m_mutex);
    return m_session;
}

std::uint64_t SimDevice::newSession()
{
    std::lock_guard lock(m_mutex);
    if (!m_plugged)
        return 0;
    startSessionLocked();
    return m_session;
}

void SimDevice::endSession(std::uint64_t session)
{
    std::lock_guard lock(m_mutex);
    if (session != 0 && session == m_session)
        endSessionLocked();
}

void SimDevice::startSessionLocked()
{
    endSessionLocked();
    m_session = ++m_lastSession;
    const auto now = Clock::now();
    m_inTail = m_outTail = now;
    m_nextTick = now + kTick;
}

void SimDevice::endSessionLocked()
{
    m_session = 0;
    m_loggedIn = false;
    m_line.clear();
    m_lineTooLong = false;
    m_queue.clear();
    m_deframer.reset();
    m_wake.notify_all();
}

bool SimDevice::hostWrite(std::uint64_t session, const Report& report, bool waiting)
{
    Clock::time_point done;
    bool paced = false;
    {
        std::lock_guard lock(m_mutex);
        if (session == 0 || session != m_session)
            return false;
        paced = m_options.timing.reportInterval.count() > 0;
        // Reports that follow each other keep the endpoint's cadence: a late wake-up of the
        // previous sleep does not push every later transfer back.
        const auto now = Clock::now();
        const bool backToBack = waiting || now <= m_inTail + kCadenceTolerance;
        done = (backToBack ? m_inTail : now) + m_options.timing.reportInterval;
        m_inTail = done;
    }
    // The transfer takes its interval; the device sees the report when it is over.
    if (paced)
        std::this_thread::sleep_until(done);
    std::lock_guard lock(m_mutex);
    if (session != m_session)
        return false;
    // A reply is timed from the end of its request's transfer, not from when this thread
    // woke up after it.
    m_seenAt = paced ? done : Clock::now();
    ++m_counters.reportsIn;
    if (const auto payload = SimReportStream::payloadOf(report))
        m_deframer.feed(*payload);
    else
        ++m_counters.reportsDropped;
    countReport();
    return true;
}

int SimDevice::hostRead(std::uint64_t session, Report& report, const std::atomic<bool>& cancelled)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (cancelled.load() || session == 0 || session != m_session)
            return -1;
        const auto now = Clock::now();
        if (m_options.liveStatus && now >= m_nextTick) {
            m_nextTick = std::max(m_nextTick + kTick, now);
            send(kStatusSlot, m_status.tickRecords(now), false);
        }
        if (!m_queue.empty() && m_queue.front().ready > now
            && m_queue.front().ready <= now + kOnTimeWindow) {
            const auto due = m_queue.front().ready;
            lock.unlock();
            while (Clock::now() < due && !cancelled.load())
                std::this_thread::yield();
            lock.lock();
            continue; // the queue may have changed meanwhile
        }
        if (!m_queue.empty() && m_queue.front().ready <= now) {
            report = m_queue.front().report;
            m_queue.pop_front();
            ++m_counters.reportsOut;
            countReport();
            return int(kReportSize);
        }
        std::optional<Clock::time_point> wakeAt;
        if (!m_queue.empty())
            wakeAt = m_queue.front().ready - kOnTimeWindow;
        if (m_options.liveStatus && (!wakeAt || m_nextTick < *wakeAt))
            wakeAt = m_nextTick;
        if (wakeAt)
            m_wake.wait_until(lock, *wakeAt);
        else
            m_wake.wait(lock);
    }
}

void SimDevice::wakeReaders()
{
    std::lock_guard lock(m_mutex);
    m_wake.notify_all();
}

void SimDevice::countReport()
{
    if (m_detachAfter > 0 && --m_detachAfter == 0) {
        log("fault: detached after the reports asked for");
        m_plugged = false;
        endSessionLocked();
    }
}

void SimDevice::received(std::uint16_t slot, std::string_view payload)
{
    ++m_counters.framesReceived;
    if (slot != kCommandSlot) {
        m_log[slot].emplace_back(payload);
        for (char c : payload) {
            if (slot != kStatusSlot || c != 'R')
                continue;
            ++m_counters.requests;
            log("slot 4 <- R");
            if (m_silence > 0) {
                --m_silence;
                log("fault: stays silent");
                continue;
            }
            send(kStatusSlot, m_status.allRecords(Clock::now()), true);
        }
        return;
    }
    for (char c : payload) {
        if (c != '\n') {
            if (m_line.size() < kMaxLine)
                m_line += c;
            else
                m_lineTooLong = true;
            continue;
        }
        if (!m_line.empty() && m_line.back() == '\r')
            m_line.pop_back();
        if (m_lineTooLong)
            log("dropped an over-long line");
        else
            commandLine(m_line);
        m_line.clear();
        m_lineTooLong = false;
    }
}

void SimDevice::commandLine(const std::string& line)
{
    ++m_counters.requests;
    m_log[kCommandSlot].push_back(line);
    log("slot 6 <- " + line);
    if (m_silence > 0) {
        --m_silence;
        log("fault: stays silent");
        return;
    }
    if (const auto* fault = keyFault(line)) {
        if (*fault)
            send(kCommandSlot, ok(**fault), true);
        else
            log("fault: stays silent on this property");
        return;
    }
    if (const auto reply = answer(line))
        send(kCommandSlot, *reply, true);
    else
        log("(no answer)");
}

std::optional<std::string> SimDevice::answer(const std::string& line)
{
    if (startsWith(line, kPasswordPrefix))
        return passwordCommand(std::string_view(line).substr(kPasswordPrefix.size()));
    if (startsWith(line, kPropPrefix)) {
        if (m_options.requireLogin && !m_loggedIn)
            return ok("LOGIN REQUIRED!");
        return propertyRequest(std::string_view(line).substr(kPropPrefix.size()));
    }
    return ok("UNKNOWN COMMAND!");
}

const std::optional<std::string>* SimDevice::keyFault(const std::string& line) const
{
    if (m_keyFaults.empty() || !startsWith(line, kPropPrefix))
        return nullptr;
    const std::string_view body = std::string_view(line).substr(kPropPrefix.size());
    const auto it = m_keyFaults.find(std::string(body.substr(0, body.find_first_of("?="))));
    return it == m_keyFaults.end() ? nullptr : &it->second;
}

// A refusal is silence: that is all the host can see of it.
std::optional<std::string> SimDevice::passwordCommand(std::string_view args)
{
    if (startsWith(args, "P,")) {
        if (args.substr(2) != m_options.password)
            return std::nullopt;
        m_loggedIn = true;
        return "LOGIN OK\r\n";
    }
    if (startsWith(args, "C,")) {
        args.remove_prefix(2);
        const auto comma = args.find(',');
        if (comma == std::string_view::npos || args.substr(0, comma) != m_options.password)
            return std::nullopt;
        const auto fresh = args.substr(comma + 1);
        if (fresh.empty()) // nobody could log in with what a blank field sends by mistake
            return std::nullopt;
        m_options.password = std::string(fresh);
        return "PASSWORD CHANGED\r\n";
    }
    return std::nullopt;
}

std::string SimDevice::propertyRequest(std::string_view body)
{
    const auto eq = body.find('=');
    if (eq == std::string_view::npos) {
        if (body.empty() || body.back() != '?')
            return ok("BAD REQUEST!");
        const std::string key(body.substr(0, body.size() - 1));
        const auto it = m_store.find(key);
        if (it == m_store.end())
            return ok("UNKNOWN PROPERTY!");
        return ok(key + "=" + it->second);
    }
    const std::string key(body.substr(0, eq));
    const auto it = m_store.find(key);
    if (it == m_store.end())
        return ok("UNKNOWN PROPERTY!");
    it->second = std::string(body.substr(eq + 1));
    if (key == kTestReportKey) {
        eventLocked("SIM_A", "Test report");
        eventLocked("SIM_B", "Test report");
    }
    return ok(key + "=" + it->second);
}

// A reply waits for the think time (and any injected delay) after its request; everything
// queued is spaced one report interval apart.
void SimDevice::send(std::uint16_t slot, const std::string& text, bool asReply)
{
    if (m_session == 0 || text.empty())
        return;
    std::vector<std::uint8_t> bytes;
    if (m_noise > 0) {
        bytes = m_stream.noise(m_noise);
        log("fault: " + std::to_string(m_noise) + " noise bytes");
        m_noise = 0;
    }
    const int corruptBefore = m_corrupt;
    const auto framed = m_stream.frame(slot, text, m_corrupt);
    if (m_corrupt != corruptBefore)
        log("fault: " + std::to_string(corruptBefore - m_corrupt) + " frames with a bad CRC");
    bytes.insert(bytes.end(), framed.begin(), framed.end());
    m_counters.framesSent += framed.size() / kSlotFrameSize;

    auto at = asReply ? m_seenAt + m_options.timing.thinkTime + m_delay : Clock::now();
    at = std::max(at, m_outTail);
    for (const auto& report : m_stream.pack(bytes)) {
        at += m_options.timing.reportInterval;
        m_queue.push_back({at, report});
    }
    m_outTail = at;
    if (asReply || slot != kStatusSlot)
        log("slot " + std::to_string(slot) + " -> " + text);
    m_wake.notify_all();
}

std::chrono::microseconds SimDevice::exchangeFloor(std::size_t requestBytes,
                                                   std::size_t replyBytes) const
{
    const auto frames = [](std::size_t n) { return (n + kSlotPayloadSize - 1) / kSlotPayloadSize; };
    // The host writes every frame as three reports (header, payload, CRC).
    const auto out = 3 * frames(requestBytes);
    const auto in = std::size_t(m_stream.minReportsFor(frames(replyBytes) * kSlotFrameSize));
    return std::chrono::microseconds(m_options.timing.reportInterval * (out + in)
                                     + m_options.timing.thinkTime + m_delay);
}

std::chrono::microseconds SimDevice::readAllFloor() const
{
    std::lock_guard lock(m_mutex);
    std::chrono::microseconds total{0};
    for (const auto& b : settingsSchema()) {
        const auto& value = m_store.at(b.key);
        total += exchangeFloor(kPropPrefix.size() + b.key.size() + 3,
                               ok(b.key + "=" + value).size());
    }
    return total;
}

std::chrono::microseconds SimDevice::writeAllFloor() const
{
    std::lock_guard lock(m_mutex);
    std::chrono::microseconds total{0};
    for (const auto& b : settingsSchema()) {
        const auto& value = m_store.at(b.key);
        total += exchangeFloor(kPropPrefix.size() + b.key.size() + 1 + value.size() + 2,
                               ok(b.key + "=" + value).size());
    }
    return total;
}

void SimDevice::log(const std::string& line)
{
    if (m_logger)
        m_logger(line);
}
