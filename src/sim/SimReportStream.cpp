#include "SimReportStream.h"

#include "ConnHIDCOM.h"
#include "ConnectionInterface.h"

#include <algorithm>
#include <charconv>

namespace {

std::optional<long> number(std::string_view text)
{
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<SimPacking> SimPacking::parse(std::string_view text)
{
    const auto colon = text.find(':');
    const std::string_view mode = text.substr(0, colon);
    std::optional<long> arg;
    if (colon != std::string_view::npos) {
        arg = number(text.substr(colon + 1));
        if (!arg)
            return std::nullopt;
    }
    SimPacking p;
    if (mode == "stream" && !arg) {
        p.mode = Mode::Stream;
        p.size = int(kReportPayloadSize);
    } else if (mode == "frames") {
        p.mode = Mode::WholeFrames;
        p.size = int(arg.value_or(2));
        if (p.size < 1 || p.size > 2)
            return std::nullopt;
    } else if (mode == "chunk" && arg) {
        p.mode = Mode::Chunk;
        p.size = int(*arg);
        if (p.size < 1 || p.size > int(kReportPayloadSize))
            return std::nullopt;
    } else if (mode == "random") {
        p.mode = Mode::Random;
        if (arg && (*arg < 0 || *arg > long(UINT32_MAX)))
            return std::nullopt;
        p.seed = std::uint32_t(arg.value_or(1));
    } else {
        return std::nullopt;
    }
    return p;
}

std::string SimPacking::name() const
{
    switch (mode) {
    case Mode::Stream: return "stream";
    case Mode::WholeFrames: return "frames:" + std::to_string(size);
    case Mode::Chunk: return "chunk:" + std::to_string(size);
    case Mode::Random: return "random:" + std::to_string(seed);
    }
    return {};
}

SimReportStream::SimReportStream(SimPacking packing)
{
    setPacking(packing);
}

void SimReportStream::setPacking(SimPacking packing)
{
    m_packing = packing;
    m_random.seed(packing.seed);
}

std::vector<std::uint8_t> SimReportStream::frame(std::uint16_t id, std::string_view payload,
                                                 int& corruptCrcs)
{
    std::vector<std::uint8_t> out;
    auto& counter = m_counters[id];
    for (std::size_t at = 0; at < payload.size(); at += kSlotPayloadSize) {
        const auto n = std::min(kSlotPayloadSize, payload.size() - at);
        SlotFrame f = buildSlotFrame(counter++, id,
                                     reinterpret_cast<const std::uint8_t*>(payload.data() + at),
                                     int(n));
        if (corruptCrcs > 0) {
            --corruptCrcs;
            f[kSlotFrameSize - 2] ^= 0x5A;
        }
        out.insert(out.end(), f.begin(), f.end());
    }
    return out;
}

std::vector<Report> SimReportStream::pack(std::span<const std::uint8_t> bytes)
{
    std::vector<Report> reports;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t chunk = kReportPayloadSize;
        switch (m_packing.mode) {
        case SimPacking::Mode::Stream: break;
        case SimPacking::Mode::WholeFrames: chunk = kSlotFrameSize * std::size_t(m_packing.size); break;
        case SimPacking::Mode::Chunk: chunk = std::size_t(m_packing.size); break;
        case SimPacking::Mode::Random:
            chunk = std::uniform_int_distribution<std::size_t>(1, kReportPayloadSize)(m_random);
            break;
        }
        chunk = std::clamp<std::size_t>(chunk, 1, kReportPayloadSize);
        chunk = std::min(chunk, bytes.size() - at);
        reports.push_back(makeReport(bytes.subspan(at, chunk)));
        at += chunk;
    }
    return reports;
}

int SimReportStream::minReportsFor(std::size_t bytes) const
{
    std::size_t per = kReportPayloadSize;
    if (m_packing.mode == SimPacking::Mode::WholeFrames)
        per = kSlotFrameSize * std::size_t(m_packing.size);
    else if (m_packing.mode == SimPacking::Mode::Chunk)
        per = std::size_t(m_packing.size);
    per = std::clamp<std::size_t>(per, 1, kReportPayloadSize);
    return int((bytes + per - 1) / per);
}

std::vector<std::uint8_t> SimReportStream::noise(int count)
{
    std::vector<std::uint8_t> out;
    std::uniform_int_distribution<int> byte(0, 255);
    while (int(out.size()) < count) {
        // A false frame start now and then makes the host's window work for its living.
        if (byte(m_random) < 32 && int(out.size()) + 2 <= count) {
            out.push_back(0x55);
            out.push_back(0xAA);
        } else {
            out.push_back(std::uint8_t(byte(m_random)));
        }
    }
    return out;
}

Report SimReportStream::makeReport(std::span<const std::uint8_t> payload)
{
    Report r{};
    const auto n = std::min(payload.size(), kReportPayloadSize);
    r[1] = 1;
    r[2] = std::uint8_t(n);
    std::copy_n(payload.begin(), n, r.begin() + kReportPayloadOffset);
    return r;
}

std::optional<std::span<const std::uint8_t>> SimReportStream::payloadOf(const Report& report)
{
    if (report[1] != 1 || report[2] > kReportPayloadSize)
        return std::nullopt;
    return std::span<const std::uint8_t>(report.data() + kReportPayloadOffset, report[2]);
}
