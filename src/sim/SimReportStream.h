#pragma once
// Device side of the report layer: frames what the device says on a slot, and cuts the
// resulting byte stream into 65-byte input reports. How the bytes are spread over reports is
// the device's own business, so it is an option: tests use it to prove the host copes with
// any split.

#include "HidPlatform.h"

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct SimPacking {
    enum class Mode {
        Stream,      // fill each report with up to 60 bytes; frames straddle reports
        WholeFrames, // `size` whole frames per report (1 or 2)
        Chunk,       // fixed chunks of `size` bytes (1..60)
        Random,      // seeded random chunks of 1..60 bytes
    };
    Mode mode = Mode::Stream;
    int size = 60;
    std::uint32_t seed = 1;

    // "stream", "frames[:1|2]", "chunk:N", "random[:SEED]"; nullopt when not understood.
    static std::optional<SimPacking> parse(std::string_view text);
    std::string name() const;
};

class SimReportStream
{
public:
    explicit SimReportStream(SimPacking packing = {});

    void setPacking(SimPacking packing);
    const SimPacking& packing() const { return m_packing; }

    // Frames payload for slot id in 16-byte pieces, one counter per slot. corruptCrcs frames
    // get a wrong CRC and the count is used up accordingly.
    std::vector<std::uint8_t> frame(std::uint16_t id, std::string_view payload,
                                    int& corruptCrcs);

    // Cuts bytes into input reports under the current packing (empty input: no report).
    std::vector<Report> pack(std::span<const std::uint8_t> bytes);

    // The fewest reports that bytes can take under the current packing.
    int minReportsFor(std::size_t bytes) const;

    // noise bytes that look like frame starts now and then, so deframers are exercised.
    std::vector<std::uint8_t> noise(int count);

    static Report makeReport(std::span<const std::uint8_t> payload);
    // The payload of a data report, or nullopt when it is none or its length is impossible.
    static std::optional<std::span<const std::uint8_t>> payloadOf(const Report& report);

private:
    SimPacking m_packing;
    std::mt19937 m_random;
    std::map<std::uint16_t, std::uint8_t> m_counters; // frame counter of each slot
};
