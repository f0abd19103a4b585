#pragma once
// Picks the host's slot frames out of the payload of its output reports, with the link's own
// Slot class, so the device recognises exactly what a host-side slot would.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

class SimDeframer
{
public:
    using Sink = std::function<void(std::uint16_t slot, std::string_view payload)>;

    SimDeframer(std::vector<std::uint16_t> slots, Sink sink);
    ~SimDeframer();
    SimDeframer(const SimDeframer&) = delete;
    SimDeframer& operator=(const SimDeframer&) = delete;

    // Bytes in stream order; a frame may straddle calls.
    void feed(std::span<const std::uint8_t> bytes);
    // Forgets any partial frame (a new attachment starts clean).
    void reset();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
