// Any byte stream, in any pieces, into a slot: every payload handed on is 0..16 bytes, and a
// whole intact frame after any garbage is always recognised.

#include "ConnectionInterface.h"
#include "FuzzCheck.h"

#include <cstring>
#include <vector>

namespace {

class Parent : public Connection
{
public:
    bool IsOpen() override { return true; }
    void Write(const std::uint8_t*, int) override {}
    void WriteText(std::string_view) override {}
    bool Open() override { return true; }
    void Close() override {}
    std::string GetName() override { return "parent"; }
};

struct Collected {
    std::vector<std::vector<std::uint8_t>> payloads;
};

void collect(void* context, const std::uint8_t* bytes, int count)
{
    FUZZ_CHECK(count >= 0 && count <= static_cast<int>(kSlotPayloadSize));
    static_cast<Collected*>(context)->payloads.emplace_back(bytes, bytes + count);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Slot id (2 bytes, low first), 16 payload bytes of the closing frame, then pieces: a
    // length byte (0..80) and that many bytes.
    FrontReader input(data, size);
    const std::uint16_t id = static_cast<std::uint16_t>(input.byte() | input.byte() << 8);
    Parent parent;
    std::unique_ptr<Slot> slot = parent.CreateSlot(id);
    Collected collected;
    ResponseConnection receiver(&collected, &collect);
    slot->receivers.append(&receiver);

    std::vector<std::uint8_t> trailer = input.bytes(kSlotPayloadSize);
    while (!input.atEnd()) {
        const std::size_t length = input.byte() % 81;
        std::vector<std::uint8_t> piece = input.bytes(length);
        parent.OnReceive(piece.data(), static_cast<int>(piece.size()));
    }
    const SlotFrame frame = buildSlotFrame(0x5A, id, trailer.data(), static_cast<int>(trailer.size()));
    parent.OnReceive(frame.data(), static_cast<int>(frame.size()));
    FUZZ_CHECK(!collected.payloads.empty());
    FUZZ_CHECK(collected.payloads.back() == trailer);
    return 0;
}
