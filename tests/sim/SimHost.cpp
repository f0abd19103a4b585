#include "SimHost.h"

void TextSink::received(void* context, const std::uint8_t* bytes, int count)
{
    auto* sink = static_cast<TextSink*>(context);
    {
        std::lock_guard lock(sink->m_mutex);
        sink->m_text.append(reinterpret_cast<const char*>(bytes), std::size_t(count));
        ++sink->m_pieces;
    }
    sink->m_changed.notify_all();
}

bool TextSink::waitFor(const std::function<bool(const std::string&)>& done,
                       std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return done(m_text); });
}

bool TextSink::waitContains(const std::string& part, std::chrono::milliseconds timeout)
{
    return waitFor([&](const std::string& t) { return t.find(part) != std::string::npos; },
                   timeout);
}

std::string TextSink::text()
{
    std::lock_guard lock(m_mutex);
    return m_text;
}

std::string TextSink::take()
{
    std::lock_guard lock(m_mutex);
    std::string t;
    t.swap(m_text);
    return t;
}

int TextSink::pieces()
{
    std::lock_guard lock(m_mutex);
    return m_pieces;
}

void StateRecorder::OnChangeState(const char* state)
{
    {
        std::lock_guard lock(m_mutex);
        m_states.emplace_back(state);
    }
    m_changed.notify_all();
}

bool StateRecorder::waitCount(std::size_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_states.size() >= count; });
}

std::vector<std::string> StateRecorder::states()
{
    std::lock_guard lock(m_mutex);
    return m_states;
}

SimHost::SimHost(std::shared_ptr<HidPlatform> platform)
    : connection(std::move(platform))
{
    connection.stateListeners.append(&states);
    commandSlot = connection.CreateSlot(6);
    commandSlot->receivers.append(&commandEnd);
    statusSlot = connection.CreateSlot(4);
    statusSlot->receivers.append(&statusEnd);
    eventSlot = connection.CreateSlot(3);
    eventSlot->receivers.append(&eventEnd);
    connection.Open();
}

SimHost::~SimHost()
{
    connection.Close(); // the reader thread ends before the slots go
    commandSlot.reset();
    statusSlot.reset();
    eventSlot.reset();
}

bool SimHost::waitAttached(std::chrono::milliseconds timeout)
{
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (std::size_t seen = 0;; ) {
        if (connection.IsAttached())
            return true;
        const auto s = states.states();
        seen = s.size();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !states.waitCount(seen + 1, left))
            return connection.IsAttached();
    }
}

std::string SimHost::exchange(const std::string& line, std::chrono::milliseconds timeout)
{
    command.take();
    commandSlot->WriteText(line);
    if (!command.waitContains("\r\nOK\r\n", timeout))
        return {};
    return command.take();
}
