#pragma once
// The simulated Bisora: the device end of the link. It takes the host's output reports, picks
// the slot frames out of them, answers on slot 6 (properties, login), sends status records on
// slot 4 and event lines on slot 3, and paces both directions like a full-speed interrupt
// endpoint. Thread-safe: every member takes the one mutex.

#include "HidPlatform.h"
#include "SimDeframer.h"
#include "SimReportStream.h"
#include "SimStatus.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SimTiming {
    std::chrono::microseconds reportInterval{1000}; // per report, each direction; 0 = off
    std::chrono::microseconds thinkTime{1000};      // after a complete request
};

struct SimOptions {
    std::string password = "5827";
    bool requireLogin = false; // property access only after a login
    bool liveStatus = true;    // clock and uptimes tick once a second while attached
    SimTiming timing;
    SimPacking packing;
};

struct SimCounters {
    std::uint64_t requests = 0;       // complete command lines and status requests
    std::uint64_t framesReceived = 0; // intact host frames for slots 3, 4 and 6
    std::uint64_t framesSent = 0;
    std::uint64_t reportsIn = 0;      // output reports the host wrote
    std::uint64_t reportsDropped = 0; // of those, not data reports or with an impossible length
    std::uint64_t reportsOut = 0;     // input reports the host read
};

class SimDevice
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::uint16_t kCommandSlot = 6, kStatusSlot = 4, kEventSlot = 3;
    static constexpr const char* kHardwareId = "HID\\VID_04D8&PID_0054";
    // How late a host report may come and still count as following the one before.
    static constexpr std::chrono::microseconds kCadenceTolerance{250};
    // A report is handed to the host on time: the reader sleeps until this long before it is
    // due and waits out the rest awake, so a late wake-up of the simulator's own thread does
    // not count against the host.
    static constexpr std::chrono::microseconds kOnTimeWindow{300};

    explicit SimDevice(SimOptions options = {});
    ~SimDevice();
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;

    // The cable. A plug starts a new attachment: no login, nothing queued.
    void plug();
    void unplug();
    bool isPlugged() const;

    // Host end of the report pipe. A session number stays valid until the next unplug or new
    // session; 0 means none. The socket server starts a session per connection.
    std::uint64_t session() const;
    std::uint64_t newSession();
    void endSession(std::uint64_t session); // the host went away; the cable stays in
    // One output report from the host, paced to the report interval; false when the session
    // is over. `waiting`: the report was already there when the one before it was taken, so
    // its transfer follows that one without a gap.
    bool hostWrite(std::uint64_t session, const Report& report, bool waiting = false);
    // Waits for the next input report; -1 when the session ended or cancelled became true.
    int hostRead(std::uint64_t session, Report& report, const std::atomic<bool>& cancelled);
    // Call after setting a cancel flag, so a waiting hostRead sees it.
    void wakeReaders();

    // Controls for tests and demonstrations. False when a value is out of range.
    bool setInput(int input, int state);                 // 1..6, 0 alarm 1 idle 2/3 tamper
    bool setReceiver(char sim, int receiver, int state); // 'A'/'B', 1..4, 0..4
    bool setSignal(char sim, int level);                 // 0..31
    bool setSupply(int millivolts);                      // 0..40000
    bool sendEvent(const std::string& tag, const std::string& text);
    void sendStatus(); // every status record, unasked

    // Faults.
    void silenceNextRequests(int count);
    void setReplyDelay(std::chrono::microseconds delay);
    void corruptNextFrames(int count);
    void insertNoise(int bytes); // before the next thing the device sends
    void detachAfterReports(int count); // reports in either direction; then unplugged
    // Every query or set of this property goes unanswered, or is answered with text + "\r\nOK".
    void silenceKey(const std::string& key);
    void answerKeyWith(const std::string& key, const std::string& text);
    // Unasked text on any slot, as from firmware that says more than it was asked.
    bool sendStray(std::uint16_t slot, const std::string& text);
    void clearFaults();

    // Options.
    void setTiming(SimTiming timing);
    SimTiming timing() const;
    void setPacking(SimPacking packing);
    void setLiveStatus(bool on);
    void setRequireLogin(bool on);

    // Observation.
    std::optional<std::string> property(const std::string& key) const;
    bool setProperty(const std::string& key, const std::string& value); // no reply
    std::optional<std::string> statusValue(const std::string& key) const;
    std::string password() const;
    bool loggedIn() const;
    std::vector<std::string> requestLog(std::uint16_t slot) const; // lines on 6, payloads else
    SimCounters counters() const;
    std::size_t queuedReports() const;
    // Gets each received request and each reply as a text line; called under the device's
    // lock, so it must not call back into the device.
    void setLogger(std::function<void(const std::string&)> logger);

    // The least time a read-all or write-all of the settings table can take under the current
    // timing, packing and store (a write-all is assumed to write back the stored values).
    std::chrono::microseconds readAllFloor() const;
    std::chrono::microseconds writeAllFloor() const;

private:
    struct Queued {
        Clock::time_point ready;
        Report report;
    };

    std::chrono::microseconds exchangeFloor(std::size_t requestBytes,
                                            std::size_t replyBytes) const;
    void startSessionLocked();
    void endSessionLocked();
    void received(std::uint16_t slot, std::string_view payload);
    void commandLine(const std::string& line);
    std::optional<std::string> answer(const std::string& line);
    const std::optional<std::string>* keyFault(const std::string& line) const;
    std::optional<std::string> passwordCommand(std::string_view args);
    std::string propertyRequest(std::string_view body);
    void send(std::uint16_t slot, const std::string& text, bool asReply);
    void statusChanged(const std::string& key, const std::string& value);
    void eventLocked(const std::string& tag, const std::string& text);
    std::optional<std::string> storedLocked(const std::string& key) const;
    void countReport();
    void log(const std::string& line);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    SimOptions m_options;
    std::map<std::string, std::string> m_store;
    SimStatus m_status;
    SimReportStream m_stream;
    SimDeframer m_deframer;
    std::deque<Queued> m_queue;

    bool m_plugged = true;
    std::uint64_t m_session = 0;
    std::uint64_t m_lastSession = 0;
    bool m_loggedIn = false;
    bool m_batteryLow = false;
    std::string m_line;
    bool m_lineTooLong = false;
    Clock::time_point m_inTail{}, m_outTail{}, m_nextTick{};
    Clock::time_point m_seenAt{}; // when the last host report was through, by the timing model

    int m_silence = 0;
    int m_corrupt = 0;
    int m_noise = 0;
    int m_detachAfter = 0;
    std::chrono::microseconds m_delay{0};
    std::map<std::string, std::optional<std::string>> m_keyFaults; // nullopt: silent

    SimCounters m_counters;
    std::map<std::uint16_t, std::vector<std::string>> m_log;
    std::function<void(const std::string&)> m_logger;
};
