#pragma once
// Status records "{key=value}" cut out of the status channel's text, piece by piece.

#include <QByteArray>

#include <functional>

class ControlDescList;

class StatusStream
{
public:
    using Apply = std::function<void(const QByteArray& key, const QByteArray& value)>;

    explicit StatusStream(Apply apply);
    // Applies each record to its bound field through SetControlValue; unknown keys are dropped.
    static Apply applyTo(const ControlDescList& statusDescs);

    void StatusTextReceived(const QByteArray& piece);
    const QByteArray& statusBuffer() const { return m_statusBuffer; }

    // Unconsumed text beyond this is garbage from a confused device; its oldest part goes.
    static constexpr qsizetype bufferCap = 64 * 1024;

private:
    Apply m_apply;
    QByteArray m_statusBuffer;
};
