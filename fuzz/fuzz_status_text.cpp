// Any status text in any pieces: records are well-formed, the buffer stays under its cap, and
// the pieces do not matter: the whole text at once gives the same records.

#include "FuzzCheck.h"
#include "Pieces.h"
#include "StatusStream.h"

#include <utility>
#include <vector>

namespace {
using Records = std::vector<std::pair<QByteArray, QByteArray>>;

StatusStream recorder(Records& records)
{
    return StatusStream([&records](const QByteArray& key, const QByteArray& value) {
        FUZZ_CHECK(!key.contains('=') && !key.contains('}'));
        FUZZ_CHECK(!value.isEmpty() && !value.contains('}'));
        records.emplace_back(key, value);
    });
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FrontReader input(data, size);
    const QByteArrayList pieces = consumePieces(input);

    Records piecewise;
    StatusStream stream = recorder(piecewise);
    for (const QByteArray& piece : pieces) {
        stream.StatusTextReceived(piece);
        FUZZ_CHECK(stream.statusBuffer().size() <= StatusStream::bufferCap);
    }

    Records whole;
    StatusStream once = recorder(whole);
    once.StatusTextReceived(pieces.join());
    // Past the cap the oldest text goes, and where it is cut depends on the pieces.
    if (pieces.join().size() <= StatusStream::bufferCap) {
        FUZZ_CHECK(piecewise == whole);
        FUZZ_CHECK(stream.statusBuffer() == once.statusBuffer());
    }
    return 0;
}
