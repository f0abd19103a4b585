// Any read reply: a split gives back pieces of the reply itself, in place.

#include "FuzzCheck.h"
#include "ReadWriteRun.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray reply(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ReadReply split = splitReadReply(reply);
    const qsizetype end = reply.indexOf("\r\nOK");
    switch (split.kind) {
    case ReadReply::KeyValue:
        FUZZ_CHECK(end >= 0);
        FUZZ_CHECK(!split.key.contains('='));
        FUZZ_CHECK(!split.value.contains("\r\nOK"));
        FUZZ_CHECK(reply.startsWith(split.key + '=' + split.value + "\r\nOK"));
        break;
    case ReadReply::Refused:
        FUZZ_CHECK(end > 0 && reply.at(end - 1) == '!' && !reply.left(end).contains('='));
        FUZZ_CHECK(split.key.isEmpty() && split.value.isEmpty());
        break;
    case ReadReply::Bad:
        FUZZ_CHECK(end < 0 || (!reply.left(end).contains('=') && (end == 0 || reply.at(end - 1) != '!')));
        break;
    }
    return 0;
}
