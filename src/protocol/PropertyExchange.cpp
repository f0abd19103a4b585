#include "PropertyExchange.h"

#include "TextLink.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace {
const QByteArray replyEnd = QByteArrayLiteral("\r\nOK");

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
} // namespace

PropertyExchange::PropertyExchange(TextLink& link, ExchangeTiming timing) : m_link(link), m_timing(timing) {}

void PropertyExchange::CommandTextReceived(const QByteArray& text)
{
    qsizetype skip = 0;
    // Line ends ahead of any text are the tail of an earlier "...\r\nOK\r\n"; dropping them
    // makes every reply start with its key, and they are no answer to a password command.
    if (m_replyBuffer.isEmpty()) {
        while (skip < text.size() && isLineEnd(text.at(skip)))
            ++skip;
    }
    if (skip < text.size()) {
        m_replyBuffer.append(text.constData() + skip, text.size() - skip);
        replyReceived = true;
        if (m_replyBuffer.size() > bufferCap)
            m_replyBuffer.remove(0, m_replyBuffer.size() - bufferCap);
    }
    okSeen = m_replyBuffer.contains(replyEnd);
    // Every running wait re-tests its own flag; those still waiting simply go on.
    for (QEventLoop* loop : m_waits)
        loop->quit();
}

void PropertyExchange::startExchange()
{
    // A late reply to an earlier exchange must never complete this one.
    m_replyBuffer.clear();
    okSeen = false;
}

bool PropertyExchange::waitFor(const bool& flag, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds, Qt::PreciseTimer);
    // The time-out lives and dies with the wait: a timer left running would wake the UI thread
    // once for every exchange of a run, long after the run.
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    timeout.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    m_waits.push_back(&loop);
    while (!flag && !deadline.hasExpired()) {
        timeout.start(int(deadline.remainingTime()));
        loop.exec();
    }
    std::erase(m_waits, &loop);
    return flag;
}

QByteArray PropertyExchange::QueryProperty(const QByteArray& key)
{
    QByteArray result = QByteArrayLiteral("0");
    for (int attempt = 0; attempt < m_timing.queryTries; ++attempt) {
        startExchange();
        m_link.sendCommandText("PROP => " + key + "?\r\n");
        if (waitFor(okSeen, m_timing.replyTimeout)) {
            result = m_replyBuffer;
            break;
        }
    }
    okSeen = false;
    return result;
}

QByteArray PropertyExchange::SetProperty(const QByteArray& key, const QByteArray& value)
{
    return SendAndWait("PROP => " + key + "=" + value + "\r\n");
}

QByteArray PropertyExchange::SendAndWait(const QByteArray& line)
{
    startExchange();
    m_link.sendCommandText(line);
    const QByteArray result = waitFor(okSeen, m_timing.replyTimeout) ? m_replyBuffer : QByteArray();
    m_replyBuffer.clear();
    okSeen = false;
    return result;
}

int PropertyExchange::PasswordCommand(const QByteArray& first, const QByteArray& second)
{
    const QByteArray line = second == "0" ? "set REM:UPW P," + first + "\n"
                                          : "set REM:UPW C," + first + "," + second + "\n";
    int result = 0;
    for (int attempt = 0; attempt < m_timing.passwordTries; ++attempt) {
        replyReceived = false;
        m_link.sendCommandText(line);
        if (waitFor(replyReceived, m_timing.polls * m_timing.pollInterval)) {
            result = 1;
            replyReceived = false;
            break;
        }
    }
    m_replyBuffer.clear();
    return result;
}
