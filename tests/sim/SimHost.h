#pragma once
// The host side as the program builds it, for tests against the simulator: a ConnHIDCOM on a
// platform, slots 6, 4 and 3 each ending in a ResponseConnection, and a state listener.
// Everything received is collected and can be waited for from the test thread.

#include "ConnHIDCOM.h"
#include "ConnectionInterface.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using namespace std::chrono_literals;

class TextSink
{
public:
    static void received(void* context, const std::uint8_t* bytes, int count);

    // Waits until the collected text satisfies done; false on time-out.
    bool waitFor(const std::function<bool(const std::string&)>& done,
                 std::chrono::milliseconds timeout = 5s);
    bool waitContains(const std::string& part, std::chrono::milliseconds timeout = 5s);
    std::string text();
    std::string take(); // the collected text, which is then emptied
    int pieces();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_text;
    int m_pieces = 0;
};

class StateRecorder : public ChangeStateEvent
{
public:
    void OnChangeState(const char* state) override;
    bool waitCount(std::size_t count, std::chrono::milliseconds timeout = 5s);
    std::vector<std::string> states();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_states;
};

class SimHost
{
public:
    explicit SimHost(std::shared_ptr<HidPlatform> platform);
    ~SimHost();

    bool waitAttached(std::chrono::milliseconds timeout = 5s);
    // Sends a command line on slot 6 and waits for the whole reply, up to the line end after
    // "OK", so nothing is left over for the next exchange; "" on time-out.
    std::string exchange(const std::string& line, std::chrono::milliseconds timeout = 5s);

    ConnHIDCOM connection;
    StateRecorder states;
    TextSink command, status, event;

private:
    ResponseConnection commandEnd{&command, &TextSink::received};
    ResponseConnection statusEnd{&status, &TextSink::received};
    ResponseConnection eventEnd{&event, &TextSink::received};

public:
    std::unique_ptr<Slot> commandSlot, statusSlot, eventSlot;
};
