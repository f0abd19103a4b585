// Slot framing: CRC, the 24-byte frame byte for byte, the split into parent writes and the
// sliding-window deframer.

#include "ConnectionInterface.h"
#include "LinkCheck.h"
#include "Recorders.h"

#include <cstring>

namespace {

Bytes text(const char* s)
{
    return Bytes(s, s + std::strlen(s));
}

Bytes pattern(int count)
{
    Bytes bytes;
    for (int i = 0; i < count; ++i)
        bytes.push_back(static_cast<std::uint8_t>(0x30 + i));
    return bytes;
}

Bytes frameBytes(std::uint8_t counter, std::uint16_t id, const Bytes& payload)
{
    const SlotFrame frame =
        buildSlotFrame(counter, id, payload.data(), static_cast<int>(payload.size()));
    return Bytes(frame.begin(), frame.end());
}

void crcKnownValues()
{
    const struct
    {
        const char* name;
        Bytes data;
        std::uint16_t crc;
    } rows[] = {
        {"check string", text("123456789"), 0x31C3},
        {"empty", {}, 0x0000},
        {"single A", text("A"), 0x58E5},
        {"one zero byte", {0x00}, 0x0000},
        {"0xFF", {0xFF}, 0x1EF0},
    };
    for (const auto& row : rows) {
        linkcheck::Row r(row.name);
        CHECK_EQ(crc16Xmodem(row.data.data(), row.data.size()), row.crc);
    }
}

void frameLayoutByteForByte()
{
    const Bytes payload = text("\r\nOK");
    const Bytes frame = frameBytes(7, 0x0106, payload);
    Bytes expected = {0x55, 0xAA, 7, 4, 0x06, 0x01, '\r', '\n', 'O', 'K'};
    expected.resize(22, 0);
    const std::uint16_t crc = crc16Xmodem(expected.data(), 22);
    expected.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    expected.push_back(static_cast<std::uint8_t>(crc >> 8));
    CHECK_EQ(frame, expected);
}

void writeSplitsIntoFramesAndParentWrites()
{
    const struct
    {
        const char* name;
        int count;
        std::vector<std::size_t> writeSizes;
        std::vector<int> frameLengths;
    } rows[] = {
        {"20 bytes", 20, {6, 16, 2, 6, 16, 2}, {16, 4}},
        {"16 bytes", 16, {6, 16, 2}, {16}},
        {"0 bytes", 0, {}, {}},
        {"33 bytes", 33, {6, 16, 2, 6, 16, 2, 6, 16, 2}, {16, 16, 1}},
    };
    for (const auto& row : rows) {
        linkcheck::Row r(row.name);
        RecordingConnection parent;
        Slot slot(6, &parent);
        const Bytes data = pattern(row.count);
        slot.Write(data.data(), row.count);

        std::vector<std::size_t> sizes;
        Bytes stream;
        for (const Bytes& write : parent.writes) {
            sizes.push_back(write.size());
            stream.insert(stream.end(), write.begin(), write.end());
        }
        CHECK_EQ(sizes, row.writeSizes);
        CHECK_EQ(stream.size(), row.frameLengths.size() * kSlotFrameSize);

        // Each frame is exactly what the builder makes for that block and counter.
        std::size_t offset = 0;
        for (std::size_t f = 0; f < row.frameLengths.size() && stream.size() >= (f + 1) * 24; ++f) {
            const Bytes block(data.begin() + static_cast<long>(offset),
                              data.begin() + static_cast<long>(offset) + row.frameLengths[f]);
            const Bytes frame(stream.begin() + static_cast<long>(f * 24),
                              stream.begin() + static_cast<long>((f + 1) * 24));
            CHECK_EQ(frame, frameBytes(static_cast<std::uint8_t>(f), 6, block));
            offset += static_cast<std::size_t>(row.frameLengths[f]);
        }
    }
}

void secondFrameIsPaddedWithZeros()
{
    RecordingConnection parent;
    Slot slot(6, &parent);
    const Bytes data = pattern(20);
    slot.Write(data.data(), 20);
    CHECK_EQ(parent.writes.size(), 6u);
    if (parent.writes.size() != 6)
        return;
    const Bytes& header2 = parent.writes[3];
    const Bytes& payload2 = parent.writes[4];
    CHECK_EQ(static_cast<int>(header2[3]), 4);
    CHECK_EQ(static_cast<int>(header2[2] - parent.writes[0][2]), 1);
    CHECK_EQ(Bytes(payload2.begin() + 4, payload2.end()), Bytes(12, 0));
}

void counterWrapsAt256()
{
    RecordingConnection parent;
    Slot slot(6, &parent);
    const std::uint8_t byte = 'x';
    for (int i = 0; i < 257; ++i)
        slot.Write(&byte, 1);
    CHECK_EQ(parent.writes.size(), 257u * 3);
    CHECK_EQ(static_cast<int>(parent.writes[0][2]), 0);
    CHECK_EQ(static_cast<int>(parent.writes[255 * 3][2]), 255);
    CHECK_EQ(static_cast<int>(parent.writes[256 * 3][2]), 0);
}

struct SlotRig
{
    RecordingConnection parent;
    Slot slot;
    RecordingConnection receiver;
    explicit SlotRig(std::uint16_t id)
        : slot(id, &parent)
    {
        slot.receivers.append(&receiver);
    }
};

void deframerCases()
{
    const Bytes good = frameBytes(3, 6, text("hello"));
    Bytes badCrc = good;
    badCrc[22] ^= 0x01;
    // Length 17 with a CRC that matches the bytes as they stand.
    Bytes tooLong = good;
    tooLong[3] = 17;
    const std::uint16_t crc = crc16Xmodem(tooLong.data(), 22);
    tooLong[22] = static_cast<std::uint8_t>(crc & 0xFF);
    tooLong[23] = static_cast<std::uint8_t>(crc >> 8);
    const Bytes otherSlot = frameBytes(3, 4, text("hello"));
    const Bytes highByte = frameBytes(3, 0x0106, text("hello"));
    const Bytes empty = frameBytes(9, 6, {});

    auto concat = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };

    const struct
    {
        const char* name;
        Bytes stream;
        std::size_t chunk; // bytes per OnReceive call, 0 = all at once
        std::vector<Bytes> expected;
    } rows[] = {
        {"whole frame", good, 0, {text("hello")}},
        {"one byte per call", good, 1, {text("hello")}},
        {"split 5/19", good, 5, {text("hello")}},
        {"noise before", concat({text("noise"), good}), 0, {text("hello")}},
        {"bad CRC then good frame", concat({badCrc, good}), 0, {text("hello")}},
        {"length 17 with right CRC", tooLong, 0, {}},
        {"frame of another slot", otherSlot, 0, {}},
        {"slot number high byte differs", highByte, 0, {}},
        {"empty payload", empty, 0, {Bytes{}}},
        {"two frames in one call", concat({good, empty}), 0, {text("hello"), Bytes{}}},
    };
    for (const auto& row : rows) {
        linkcheck::Row r(row.name);
        SlotRig rig(6);
        const std::size_t chunk = row.chunk ? row.chunk : row.stream.size();
        std::size_t fedAtFrameEnd = 0;
        for (std::size_t at = 0; at < row.stream.size(); at += chunk) {
            const std::size_t n = std::min(chunk, row.stream.size() - at);
            rig.parent.OnReceive(row.stream.data() + at, static_cast<int>(n));
            if (rig.receiver.received.empty())
                fedAtFrameEnd = at + n;
        }
        CHECK_EQ(rig.receiver.received, row.expected);
        if (row.chunk == 1 && !row.expected.empty())
            CHECK_EQ(fedAtFrameEnd, kSlotFrameSize - 1); // recognised on the 24th byte
    }
}

void frameReachesOnlyItsSlot()
{
    RecordingConnection parent;
    std::vector<std::unique_ptr<Slot>> slots;
    std::vector<RecordingConnection> receivers(3);
    const std::uint16_t ids[] = {3, 4, 6};
    for (int i = 0; i < 3; ++i) {
        slots.push_back(parent.CreateSlot(ids[i]));
        slots.back()->receivers.append(&receivers[static_cast<std::size_t>(i)]);
    }
    CHECK_EQ(parent.receivers.size(), 3u);
    const Bytes frame = frameBytes(0, 4, text("{A=1}"));
    parent.OnReceive(frame.data(), static_cast<int>(frame.size()));
    CHECK_EQ(receivers[0].received.size(), 0u);
    CHECK_EQ(receivers[1].received, std::vector<Bytes>{text("{A=1}")});
    CHECK_EQ(receivers[2].received.size(), 0u);

    slots[1].reset(); // leaves its parent's receivers
    CHECK_EQ(parent.receivers.size(), 2u);
    CHECK(!parent.receivers.contains(nullptr));
}

void responseConnectionAndNames()
{
    struct Seen
    {
        Bytes bytes;
        int calls = 0;
    } seen;
    ResponseConnection response(&seen, [](void* context, const std::uint8_t* bytes, int count) {
        auto* s = static_cast<Seen*>(context);
        s->bytes.assign(bytes, bytes + count);
        ++s->calls;
    });
    RecordingConnection parent;
    Slot slot(3, &parent);
    slot.receivers.append(&response);
    const Bytes frame = frameBytes(0, 3, text("ev"));
    parent.OnReceive(frame.data(), 24);
    CHECK_EQ(seen.calls, 1);
    CHECK_EQ(seen.bytes, text("ev"));
    CHECK_EQ(slot.GetName(), std::string("Slot[3]"));
    CHECK_EQ(response.GetName(), std::string());
    CHECK(!response.IsOpen());
    CHECK(!response.Open());
    CHECK(slot.Open());
    CHECK(slot.IsOpen()); // the recorder parent is open
}

} // namespace

int main()
{
    return linkcheck::runTests({
        {"crcKnownValues", crcKnownValues},
        {"frameLayoutByteForByte", frameLayoutByteForByte},
        {"writeSplitsIntoFramesAndParentWrites", writeSplitsIntoFramesAndParentWrites},
        {"secondFrameIsPaddedWithZeros", secondFrameIsPaddedWithZeros},
        {"counterWrapsAt256", counterWrapsAt256},
        {"deframerCases", deframerCases},
        {"frameReachesOnlyItsSlot", frameReachesOnlyItsSlot},
        {"responseConnectionAndNames", responseConnectionAndNames},
    });
}
