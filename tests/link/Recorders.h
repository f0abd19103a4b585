#pragma once
// Test doubles at the connection level: a connection that records what it is given, and a
// state listener that records what it hears, both waitable from another thread.

#include "ConnectionInterface.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

class RecordingConnection : public Connection
{
public:
    bool IsOpen() override { return true; }
    void Write(const std::uint8_t* bytes, int count) override
    {
        std::lock_guard lock(mutex);
        writes.emplace_back(bytes, bytes + count);
    }
    void WriteText(std::string_view text) override
    {
        Write(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<int>(text.size()));
    }
    bool Open() override { return true; }
    void Close() override {}
    std::string GetName() override { return "Recorder"; }
    void OnReceive(const std::uint8_t* bytes, int count) override
    {
        {
            std::lock_guard lock(mutex);
            received.emplace_back(bytes, bytes + count);
        }
        changed.notify_all();
        Connection::OnReceive(bytes, count);
    }

    bool waitReceived(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5))
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, timeout, [&] { return received.size() >= count; });
    }
    std::vector<Bytes> receivedCopy()
    {
        std::lock_guard lock(mutex);
        return received;
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Bytes> writes;
    std::vector<Bytes> received;
};

class RecordingListener : public ChangeStateEvent
{
public:
    struct Event
    {
        std::string state;
        std::thread::id thread;
    };

    void OnChangeState(const char* state) override
    {
        {
            std::lock_guard lock(mutex);
            events.push_back({state, std::this_thread::get_id()});
        }
        changed.notify_all();
    }

    bool waitEvents(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5))
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, timeout, [&] { return events.size() >= count; });
    }
    std::vector<Event> eventsCopy()
    {
        std::lock_guard lock(mutex);
        return events;
    }
    std::vector<std::string> states()
    {
        std::vector<std::string> result;
        for (const Event& event : eventsCopy())
            result.push_back(event.state);
        return result;
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Event> events;
};
