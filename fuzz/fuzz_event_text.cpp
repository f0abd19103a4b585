// Any event text in any pieces: every shown line starts at its tag and holds no line end, the
// buffer stays under its cap, and the whole text at once shows the same lines.

#include "EventStream.h"
#include "FuzzCheck.h"
#include "Pieces.h"

#include <utility>
#include <vector>

namespace {
using Lines = std::vector<std::pair<int, QByteArray>>;

EventStream recorder(Lines& lines)
{
    return EventStream([&lines](int listIndex, const QByteArray& shown) {
        FUZZ_CHECK(listIndex == 1 || listIndex == 2);
        FUZZ_CHECK(shown.startsWith('<') && !shown.contains('\r'));
        lines.emplace_back(listIndex, shown);
    });
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FrontReader input(data, size);
    const QByteArrayList pieces = consumePieces(input);

    Lines piecewise;
    EventStream stream = recorder(piecewise);
    for (const QByteArray& piece : pieces) {
        stream.EventTextReceived(piece);
        FUZZ_CHECK(stream.eventBuffer().size() <= EventStream::bufferCap);
        FUZZ_CHECK(!stream.eventBuffer().contains('\r'));
    }

    Lines whole;
    EventStream once = recorder(whole);
    once.EventTextReceived(pieces.join());
    // Past the cap the oldest text goes, and where it is cut depends on the pieces.
    if (pieces.join().size() <= EventStream::bufferCap)
        FUZZ_CHECK(piecewise == whole);
    return 0;
}
