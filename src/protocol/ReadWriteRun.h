#pragma once
// The cores of read-all and write-all over the settings bindings, in table order. The window
// adds the busy flag, the messages ("Read error!", "Write error!") and its state updates.

#include <QByteArray>
#include <QByteArrayList>

#include <functional>

class ControlDescList;
class PropertyExchange;

struct ReadResult {
    enum Failure { None, NoReply, BadReply };
    Failure failure = None;
    int position = -1; // 0-based binding (NoReply) or reply (BadReply) that failed
    bool ok() const { return failure == None; }
};

struct WriteResult {
    enum Failure { None, NoReply };
    Failure failure = None;
    int position = -1; // 0-based binding whose sets all went unanswered
    bool ok() const { return failure == None; }
};

// One read reply taken apart: "key=value\r\nOK" gives key and value; a reply without "=" that
// ends in "!\r\nOK" is the device refusing the key; anything else is bad.
struct ReadReply {
    enum Kind { KeyValue, Refused, Bad };
    Kind kind = Bad;
    QByteArray key;
    QByteArray value;
};
ReadReply splitReadReply(const QByteArray& reply);

class ReadWriteRun
{
public:
    using SetProgress = std::function<void(int value)>; // 0 .. descs.count()

    ReadWriteRun(PropertyExchange& exchange, const ControlDescList& settingsDescs);

    // Queries every key; only when all answered are the replies applied, in order.
    ReadResult readAll(const SetProgress& setProgress = {});
    // Sets every bound key, three tries each; stops at the first key that never answers.
    WriteResult writeAll(const SetProgress& setProgress = {});

    // The raw replies of the last readAll, in table order.
    const QByteArrayList& readReplies() const { return m_readReplies; }

    static constexpr int writeTries = 3;

private:
    ReadResult applyReplies() const;

    PropertyExchange& m_exchange;
    const ControlDescList& m_descs;
    QByteArrayList m_readReplies;
};
