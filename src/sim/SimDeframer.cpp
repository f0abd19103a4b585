#include "SimDeframer.h"

#include "ConnectionInterface.h"

namespace {

// The device end of the link: only passes received bytes on to its slots.
class DeviceEnd : public Connection
{
public:
    bool IsOpen() override { return true; }
    void Write(const std::uint8_t*, int) override {}
    void WriteText(std::string_view) override {}
    bool Open() override { return true; }
    void Close() override {}
    std::string GetName() override { return "SimDevice"; }
};

} // namespace

struct SimDeframer::Impl {
    struct Tap {
        Impl* owner;
        std::uint16_t id;
    };

    static void received(void* context, const std::uint8_t* bytes, int count)
    {
        const auto* tap = static_cast<const Tap*>(context);
        tap->owner->sink(tap->id, std::string_view(reinterpret_cast<const char*>(bytes),
                                                   std::size_t(count < 0 ? 0 : count)));
    }

    void build()
    {
        receivers.clear();
        slots.clear();
        for (auto& tap : taps) {
            slots.push_back(root.CreateSlot(tap.id));
            receivers.push_back(std::make_unique<ResponseConnection>(&tap, &Impl::received));
            slots.back()->receivers.append(receivers.back().get());
        }
    }

    Sink sink;
    DeviceEnd root;
    std::vector<Tap> taps;
    // Declared after root, so the slots leave its receiver list before it goes.
    std::vector<std::unique_ptr<ResponseConnection>> receivers;
    std::vector<std::unique_ptr<Slot>> slots;
};

SimDeframer::SimDeframer(std::vector<std::uint16_t> slots, Sink sink)
    : d(std::make_unique<Impl>())
{
    d->sink = std::move(sink);
    for (auto id : slots)
        d->taps.push_back({d.get(), id});
    d->build();
}

SimDeframer::~SimDeframer() = default;

void SimDeframer::feed(std::span<const std::uint8_t> bytes)
{
    if (!bytes.empty())
        d->root.OnReceive(bytes.data(), int(bytes.size()));
}

void SimDeframer::reset()
{
    d->build();
}
