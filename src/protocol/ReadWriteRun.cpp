#include "ReadWriteRun.h"

#include "ControlDesc.h"
#include "FieldCodec.h"
#include "PropertyExchange.h"

namespace {
const QByteArray replyEnd = QByteArrayLiteral("\r\nOK");

void report(const ReadWriteRun::SetProgress& setProgress, int value)
{
    if (setProgress)
        setProgress(value);
}
} // namespace

ReadWriteRun::ReadWriteRun(PropertyExchange& exchange, const ControlDescList& settingsDescs)
    : m_exchange(exchange), m_descs(settingsDescs)
{
}

ReadResult ReadWriteRun::readAll(const SetProgress& setProgress)
{
    m_readReplies.clear();
    report(setProgress, 0);
    for (int i = 0; i < m_descs.count(); ++i) {
        const QByteArray reply = m_exchange.QueryProperty(m_descs.at(i).key);
        if (reply == "0")
            return {ReadResult::NoReply, i};
        m_readReplies.append(reply);
        report(setProgress, i + 1);
    }
    return applyReplies();
}

ReadReply splitReadReply(const QByteArray& reply)
{
    const qsizetype end = reply.indexOf(replyEnd);
    // Only an "=" before the reply's end splits it; one in text after "\r\nOK" does not.
    const qsizetype equals = end < 0 ? -1 : reply.left(end).indexOf('=');
    if (equals >= 0)
        return {ReadReply::KeyValue, reply.left(equals), reply.mid(equals + 1, end - equals - 1)};
    if (end > 0 && reply.at(end - 1) == '!')
        return {ReadReply::Refused, {}, {}};
    return {};
}

ReadResult ReadWriteRun::applyReplies() const
{
    for (int i = 0; i < m_readReplies.size(); ++i) {
        const ReadReply split = splitReadReply(m_readReplies.at(i));
        if (split.kind == ReadReply::KeyValue) {
            const ControlDesc* desc = m_descs.Find(split.key);
            if (desc && desc->control)
                SetControlValue(desc->control, split.value);
        } else if (split.kind == ReadReply::Bad) {
            return {ReadResult::BadReply, i};
        }
    }
    return {};
}

WriteResult ReadWriteRun::writeAll(const SetProgress& setProgress)
{
    report(setProgress, 0);
    for (int i = 0; i < m_descs.count(); ++i) {
        const ControlDesc& desc = m_descs.at(i);
        if (desc.control) {
            const QByteArray value = GetControlValue(desc.control);
            bool answered = false;
            for (int attempt = 0; attempt < writeTries && !answered; ++attempt)
                answered = !m_exchange.SetProperty(desc.key, value).isEmpty();
            if (!answered)
                return {WriteResult::NoReply, i};
        }
        report(setProgress, i + 1);
    }
    return {};
}
