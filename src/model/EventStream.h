#pragma once
// Event-log lines of the event channel: a line ending in "\r" that carries "] <tag> (" for a
// tag of SIM A or SIM B is shown, from that "<" on, in that SIM's event list.

#include <QByteArray>
#include <QByteArrayList>

#include <functional>

class EventStream
{
public:
    // listIndex is 1 for SIM A's list, 2 for SIM B's.
    using AddLine = std::function<void(int listIndex, const QByteArray& shownText)>;

    explicit EventStream(AddLine addLine);

    void EventTextReceived(const QByteArray& piece);
    const QByteArray& eventBuffer() const { return m_eventBuffer; }

    const QByteArrayList simAEventTags{"SIM_A", "s_1A/3A", "s_2A/4A"};
    const QByteArrayList simBEventTags{"SIM_B", "s_1B/3B", "s_2B/4B"};

    static constexpr qsizetype bufferCap = 64 * 1024;

private:
    void showLine(const QByteArray& line, const QByteArrayList& tags, int listIndex) const;

    AddLine m_addLine;
    QByteArray m_eventBuffer;
};
