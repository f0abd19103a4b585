#include "EventStream.h"

#include <utility>

EventStream::EventStream(AddLine addLine) : m_addLine(std::move(addLine)) {}

void EventStream::showLine(const QByteArray& line, const QByteArrayList& tags, int listIndex) const
{
    for (const QByteArray& tag : tags) {
        const qsizetype at = line.indexOf("] <" + tag + "> (");
        if (at >= 0) {
            if (m_addLine)
                m_addLine(listIndex, line.mid(at + 2));
            return;
        }
    }
}

void EventStream::EventTextReceived(const QByteArray& piece)
{
    m_eventBuffer.append(piece);
    for (qsizetype end = m_eventBuffer.indexOf('\r'); end >= 0; end = m_eventBuffer.indexOf('\r')) {
        const QByteArray line = m_eventBuffer.left(end);
        showLine(line, simAEventTags, 1);
        showLine(line, simBEventTags, 2);
        // A "\n" after the "\r" stays and leads the next line, before any shown part.
        m_eventBuffer.remove(0, end + 1);
    }
    if (m_eventBuffer.size() > bufferCap)
        m_eventBuffer.remove(0, m_eventBuffer.size() - bufferCap);
}
