#pragma once
// A broken property is a finding: say which and abort, so libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// Takes a fuzz input apart from its front, so that a seed reads as it was written: a length
// byte, then that many bytes, and so on.
class FrontReader
{
public:
    FrontReader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    bool atEnd() const { return offset >= size; }
    std::uint8_t byte() { return atEnd() ? 0 : data[offset++]; }
    std::vector<std::uint8_t> bytes(std::size_t count)
    {
        const std::size_t n = std::min(count, size - offset);
        std::vector<std::uint8_t> taken(data + offset, data + offset + n);
        offset += n;
        return taken;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset = 0;
};
