#pragma once
// A device at the far end of the text link: it answers property queries and sets from a
// table, in slot-sized pieces delivered later on the event loop, as the real link does.

#include "TextLink.h"

#include <QByteArrayList>
#include <QHash>
#include <QObject>

#include <functional>

class PropertyExchange;

class ScriptedDevice : public QObject, public TextLink
{
public:
    // The reply to one sent line: pieces, and the delay before they come (ms, 0 = at once).
    struct Reply {
        QByteArrayList pieces;
        int delay = 0;
    };
    using Script = std::function<Reply(const QByteArray& line, int sendCount)>;

    void attach(PropertyExchange* exchange) { m_exchange = exchange; }
    void setScript(Script script) { m_script = std::move(script); }
    void sendCommandText(const QByteArray& text) override;

    const QByteArrayList& sent() const { return m_sent; }

    // A script over property values: a query answers "KEY=VALUE\r\nOK\r\n", a set stores the
    // value and answers the same way. Keys in `silent` never answer, `replies` override.
    static Script propertyDevice(QHash<QByteArray, QByteArray>* values, QByteArrayList silent = {},
                                 QHash<QByteArray, QByteArray> replies = {});
    static QByteArrayList slotPieces(const QByteArray& text);

private:
    PropertyExchange* m_exchange = nullptr;
    Script m_script;
    QByteArrayList m_sent;
};
