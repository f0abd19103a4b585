#pragma once
// The connection family: a Connection carries bytes both ways and hands what it receives to
// its receivers; a Slot multiplexes numbered 24-byte frames over a parent connection; a
// ResponseConnection ends a chain in a callback. State listeners are separate objects.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// CRC-16/XMODEM: polynomial 0x1021, initial 0, MSB first, no reflection, no final xor.
std::uint16_t crc16Xmodem(const std::uint8_t* data, std::size_t count);

constexpr std::size_t kSlotFrameSize = 24;
constexpr std::size_t kSlotPayloadSize = 16;
using SlotFrame = std::array<std::uint8_t, kSlotFrameSize>;

// The whole frame: 0x55 0xAA, counter, length, id low, id high, 16 payload bytes, CRC low/high.
// count is cut to 0..16.
SlotFrame buildSlotFrame(std::uint8_t counter, std::uint16_t id, const std::uint8_t* payload,
                         int count);
// True when frame is a complete, intact frame for slot id.
bool isSlotFrame(const SlotFrame& frame, std::uint16_t id);

class Connection;
class Slot;
class ChangeStateEvent;

// Ordered list of entries it does not own; appended at set-up, removed by identity.
template<typename T>
class PointerList
{
public:
    void append(T* entry) { entries.push_back(entry); }
    void remove(T* entry) { std::erase(entries, entry); }
    bool contains(const T* entry) const
    {
        return std::find(entries.begin(), entries.end(), entry) != entries.end();
    }
    std::size_t size() const { return entries.size(); }
    bool empty() const { return entries.empty(); }
    auto begin() const { return entries.begin(); }
    auto end() const { return entries.end(); }

private:
    std::vector<T*> entries;
};

class OnReceiveEventList : public PointerList<Connection>
{
};

class OnChangeStateList : public PointerList<ChangeStateEvent>
{
public:
    void notify(const char* state) const;
};

class Connection
{
public:
    OnReceiveEventList receivers;

    virtual ~Connection();
    virtual bool IsOpen() = 0;
    virtual void Write(const std::uint8_t* bytes, int count) = 0;
    virtual void WriteText(std::string_view text) = 0;
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual std::string GetName() = 0;
    // Base behaviour: every receiver, in list order, with the unchanged bytes.
    virtual void OnReceive(const std::uint8_t* bytes, int count);
    // A new slot on this connection, registered as one of its receivers; the caller owns it
    // and must destroy it before this connection.
    virtual std::unique_ptr<Slot> CreateSlot(std::uint16_t id);
};

class Slot : public Connection
{
public:
    Slot(std::uint16_t id, Connection* parent);
    ~Slot() override;
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;

    bool IsOpen() override;
    void Write(const std::uint8_t* bytes, int count) override;
    void WriteText(std::string_view text) override;
    bool Open() override;
    void Close() override;
    std::string GetName() override;
    void OnReceive(const std::uint8_t* bytes, int count) override;

    std::uint16_t slotId() const { return id; }

private:
    void PushByte(std::uint8_t byte);

    std::uint16_t id;
    Connection* parent;
    std::uint8_t counter = 0; // touched only by the sender
    SlotFrame window{};       // touched only by the receiving thread
};

using ResponseCallback = void (*)(void* context, const std::uint8_t* bytes, int count);

class ResponseConnection : public Connection
{
public:
    ResponseConnection(void* context, ResponseCallback callback);

    bool IsOpen() override;
    void Write(const std::uint8_t* bytes, int count) override;
    void WriteText(std::string_view text) override;
    bool Open() override;
    void Close() override;
    std::string GetName() override;
    // The bytes are valid only during the call.
    void OnReceive(const std::uint8_t* bytes, int count) override;

private:
    void* context;
    ResponseCallback callback;
};

class ChangeStateEvent
{
public:
    virtual ~ChangeStateEvent();
    // state is "Attached" or "Detached", a text with program lifetime.
    virtual void OnChangeState(const char* state) = 0;
};
