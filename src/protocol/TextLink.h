#pragma once
// What the property exchange needs from below: send a text on the command slot, at once,
// without waiting for the device.

#include <QByteArray>

class TextLink
{
public:
    virtual ~TextLink();
    virtual void sendCommandText(const QByteArray& text) = 0;
};
