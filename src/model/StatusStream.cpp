#include "StatusStream.h"

#include "ControlDesc.h"
#include "FieldCodec.h"

#include <utility>

StatusStream::StatusStream(Apply apply) : m_apply(std::move(apply)) {}

StatusStream::Apply StatusStream::applyTo(const ControlDescList& statusDescs)
{
    return [&statusDescs](const QByteArray& key, const QByteArray& value) {
        if (const ControlDesc* desc = statusDescs.Find(key))
            SetControlValue(desc->control, value);
    };
}

void StatusStream::StatusTextReceived(const QByteArray& piece)
{
    m_statusBuffer.append(piece);
    for (;;) {
        const qsizetype open = m_statusBuffer.indexOf('{');
        if (open < 0)
            break;
        const qsizetype close = m_statusBuffer.indexOf('}');
        if (close < 0)
            break;
        if (open < close) {
            // The first "=" of the whole buffer decides, so "x=y{TPv=A}" is dropped.
            const qsizetype equals = m_statusBuffer.indexOf('=');
            if (equals > open && equals < close) {
                const QByteArray key = m_statusBuffer.mid(open + 1, equals - open - 1);
                QByteArray value = m_statusBuffer.mid(equals + 1, close - equals - 1);
                if (value.isEmpty())
                    value = " ";
                if (m_apply)
                    m_apply(key, value);
            }
        }
        m_statusBuffer.remove(0, close + 1);
    }
    if (m_statusBuffer.size() > bufferCap)
        m_statusBuffer.remove(0, m_statusBuffer.size() - bufferCap);
}
