#include "ConnectionInterface.h"

#include <cstring>

std::uint16_t crc16Xmodem(const std::uint8_t* data, std::size_t count)
{
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= static_cast<std::uint16_t>(data[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021)
                                 : static_cast<std::uint16_t>(crc << 1);
    }
    return crc;
}

namespace {
constexpr std::size_t kCrcOffset = kSlotFrameSize - 2;
constexpr std::size_t kPayloadOffset = 6;
} // namespace

SlotFrame buildSlotFrame(std::uint8_t counter, std::uint16_t id, const std::uint8_t* payload,
                         int count)
{
    const int n = std::clamp(count, 0, static_cast<int>(kSlotPayloadSize));
    SlotFrame frame{};
    frame[0] = 0x55;
    frame[1] = 0xAA;
    frame[2] = counter;
    frame[3] = static_cast<std::uint8_t>(n);
    frame[4] = static_cast<std::uint8_t>(id & 0xFF);
    frame[5] = static_cast<std::uint8_t>(id >> 8);
    if (n > 0)
        std::memcpy(frame.data() + kPayloadOffset, payload, static_cast<std::size_t>(n));
    const std::uint16_t crc = crc16Xmodem(frame.data(), kCrcOffset);
    frame[kCrcOffset] = static_cast<std::uint8_t>(crc & 0xFF);
    frame[kCrcOffset + 1] = static_cast<std::uint8_t>(crc >> 8);
    return frame;
}

bool isSlotFrame(const SlotFrame& frame, std::uint16_t id)
{
    if (frame[0] != 0x55 || frame[1] != 0xAA || frame[3] > kSlotPayloadSize
        || frame[4] != (id & 0xFF) || frame[5] != (id >> 8))
        return false;
    const std::uint16_t crc = crc16Xmodem(frame.data(), kCrcOffset);
    return frame[kCrcOffset] == (crc & 0xFF) && frame[kCrcOffset + 1] == (crc >> 8);
}

void OnChangeStateList::notify(const char* state) const
{
    for (ChangeStateEvent* listener : *this)
        listener->OnChangeState(state);
}

// ---- Connection

Connection::~Connection() = default;

void Connection::OnReceive(const std::uint8_t* bytes, int count)
{
    for (Connection* receiver : receivers)
        receiver->OnReceive(bytes, count);
}

std::unique_ptr<Slot> Connection::CreateSlot(std::uint16_t id)
{
    return std::make_unique<Slot>(id, this);
}

// ---- Slot

Slot::Slot(std::uint16_t id, Connection* parent)
    : id(id)
    , parent(parent)
{
    if (parent)
        parent->receivers.append(this);
}

Slot::~Slot()
{
    if (parent)
        parent->receivers.remove(this);
}

bool Slot::IsOpen()
{
    return parent && parent->IsOpen();
}

void Slot::Write(const std::uint8_t* bytes, int count)
{
    if (!parent || !bytes || count <= 0)
        return;
    for (int offset = 0; offset < count; offset += static_cast<int>(kSlotPayloadSize)) {
        const int n = std::min(static_cast<int>(kSlotPayloadSize), count - offset);
        const SlotFrame frame = buildSlotFrame(counter, id, bytes + offset, n);
        ++counter; // wraps at 256
        // Header, payload and CRC travel as three writes: the device expects one report each.
        parent->Write(frame.data(), static_cast<int>(kPayloadOffset));
        parent->Write(frame.data() + kPayloadOffset, static_cast<int>(kSlotPayloadSize));
        parent->Write(frame.data() + kCrcOffset, 2);
    }
}

void Slot::WriteText(std::string_view text)
{
    Write(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<int>(text.size()));
}

bool Slot::Open()
{
    return true;
}

void Slot::Close() {}

std::string Slot::GetName()
{
    return "Slot[" + std::to_string(id) + "]";
}

void Slot::OnReceive(const std::uint8_t* bytes, int count)
{
    if (!bytes)
        return;
    for (int i = 0; i < count; ++i)
        PushByte(bytes[i]);
}

void Slot::PushByte(std::uint8_t byte)
{
    std::memmove(window.data(), window.data() + 1, kSlotFrameSize - 1);
    window[kSlotFrameSize - 1] = byte;
    if (!isSlotFrame(window, id))
        return;
    // A copy, so that a receiver may feed this slot again without disturbing what it got.
    std::array<std::uint8_t, kSlotPayloadSize> block{};
    const int n = window[3];
    std::memcpy(block.data(), window.data() + kPayloadOffset, static_cast<std::size_t>(n));
    for (Connection* receiver : receivers)
        receiver->OnReceive(block.data(), n);
}

// ---- ResponseConnection

ResponseConnection::ResponseConnection(void* context, ResponseCallback callback)
    : context(context)
    , callback(callback)
{
}

bool ResponseConnection::IsOpen()
{
    return false;
}

void ResponseConnection::Write(const std::uint8_t*, int) {}

void ResponseConnection::WriteText(std::string_view) {}

bool ResponseConnection::Open()
{
    return false;
}

void ResponseConnection::Close() {}

std::string ResponseConnection::GetName()
{
    return {};
}

void ResponseConnection::OnReceive(const std::uint8_t* bytes, int count)
{
    if (callback)
        callback(context, bytes, count);
}

// ---- ChangeStateEvent

ChangeStateEvent::~ChangeStateEvent() = default;
