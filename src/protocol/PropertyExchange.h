#pragma once
// Query and set of one device property over the command slot, and the password command.
// A reply is complete once the text received since the exchange began holds "\r\nOK".
// Waits run a nested event loop (the window stays responsive, received text is handled
// inside the wait) that ends as soon as the awaited flag is set or the time is up.

#include <QByteArray>

#include <vector>

class QEventLoop;
class TextLink;

struct ExchangeTiming {
    int replyTimeout = 5184; // ms per try
    int queryTries = 3;
    int passwordTries = 4;
    int polls = 20;
    int pollInterval = 100; // ms
};

class PropertyExchange
{
public:
    explicit PropertyExchange(TextLink& link, ExchangeTiming timing = {});

    // Each piece of text received on the command slot, in arrival order.
    void CommandTextReceived(const QByteArray& text);

    // The complete reply, or "0" when none came in all tries.
    QByteArray QueryProperty(const QByteArray& key);
    // The complete reply, or "" when none came in time.
    QByteArray SetProperty(const QByteArray& key, const QByteArray& value);
    QByteArray SendAndWait(const QByteArray& line);
    // Login when second == "0", else password change; 1 when the device answered, 0 when not.
    int PasswordCommand(const QByteArray& first, const QByteArray& second);

    void ClearOkSeen() { okSeen = false; }

    const QByteArray& replyBuffer() const { return m_replyBuffer; }
    bool isOkSeen() const { return okSeen; }
    bool isReplyReceived() const { return replyReceived; }

    static constexpr qsizetype bufferCap = 64 * 1024;

private:
    void startExchange();
    bool waitFor(const bool& flag, int milliseconds);

    TextLink& m_link;
    ExchangeTiming m_timing;
    QByteArray m_replyBuffer;
    bool okSeen = false;
    bool replyReceived = false;
    std::vector<QEventLoop*> m_waits; // nested waits, innermost last
};
