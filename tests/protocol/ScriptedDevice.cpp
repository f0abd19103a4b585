#include "ScriptedDevice.h"

#include "PropertyExchange.h"

#include <QTimer>

void ScriptedDevice::sendCommandText(const QByteArray& text)
{
    m_sent.append(text);
    if (!m_script)
        return;
    const Reply reply = m_script(text, static_cast<int>(m_sent.count(text)));
    auto deliver = [this, pieces = reply.pieces] {
        for (const QByteArray& piece : pieces)
            QMetaObject::invokeMethod(this, [this, piece] { m_exchange->CommandTextReceived(piece); }, Qt::QueuedConnection);
    };
    if (reply.pieces.isEmpty())
        return;
    if (reply.delay == 0) {
        deliver();
        return;
    }
    // Owned by the device, so a reply still due when a test ends goes with its device.
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [timer, deliver] {
        deliver();
        timer->deleteLater();
    });
    timer->start(reply.delay);
}

QByteArrayList ScriptedDevice::slotPieces(const QByteArray& text)
{
    QByteArrayList pieces;
    for (qsizetype at = 0; at < text.size(); at += 16)
        pieces.append(text.mid(at, 16));
    return pieces;
}

ScriptedDevice::Script ScriptedDevice::propertyDevice(QHash<QByteArray, QByteArray>* values, QByteArrayList silent,
                                                      QHash<QByteArray, QByteArray> replies)
{
    return [=](const QByteArray& line, int) -> Reply {
        const QByteArray prefix = "PROP => ";
        if (!line.startsWith(prefix) || !line.endsWith("\r\n"))
            return {};
        const QByteArray body = line.mid(prefix.size(), line.size() - prefix.size() - 2);
        const bool query = body.endsWith('?');
        const qsizetype equals = body.indexOf('=');
        const QByteArray key = query ? body.chopped(1) : body.left(equals);
        if (silent.contains(key))
            return {};
        if (replies.contains(key))
            return {slotPieces(replies.value(key))};
        if (!query)
            values->insert(key, body.mid(equals + 1));
        return {slotPieces(key + "=" + values->value(key) + "\r\nOK\r\n")};
    };
}
