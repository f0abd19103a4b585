#pragma once
// A small check helper for the simulator tests: plain C++, so that the link and simulator
// threads can be run under ThreadSanitizer without Qt.

#include <cstdio>
#include <string>
#include <vector>

namespace simcheck {

inline int failures = 0;
inline std::string current;

inline void fail(const char* file, int line, const std::string& what)
{
    ++failures;
    std::fprintf(stderr, "%s:%d: FAIL [%s] %s\n", file, line, current.c_str(), what.c_str());
}

// Names the row of a case table in failure messages while it lives.
struct Row {
    std::string saved = current;
    explicit Row(const std::string& row) { current = saved + " / " + row; }
    ~Row() { current = saved; }
};

struct Test {
    const char* name;
    void (*run)();
};

template<std::size_t N>
int runTests(const Test (&tests)[N])
{
    for (const auto& t : tests) {
        current = t.name;
        const int before = failures;
        t.run();
        std::printf("%s %s\n", failures == before ? "PASS" : "FAIL", t.name);
        std::fflush(stdout);
    }
    std::printf("%d failure(s)\n", failures);
    return failures == 0 ? 0 : 1;
}

inline std::string shown(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c < 32 || c > 126)
            out += "\\x" + std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15];
        else
            out += char(c);
    }
    return out;
}
inline std::string shown(long long n) { return std::to_string(n); }
inline std::string shown(const std::vector<std::string>& list)
{
    std::string out = "[";
    for (const auto& s : list)
        out += (out.size() > 1 ? ", " : "") + shown(s);
    return out + "]";
}

} // namespace simcheck

#define CHECK(cond)                                                                            \
    do {                                                                                       \
        if (!(cond))                                                                           \
            ::simcheck::fail(__FILE__, __LINE__, #cond);                                       \
    } while (0)

#define CHECK_EQ(actual, expected)                                                             \
    do {                                                                                       \
        const auto checkA = (actual);                                                          \
        const auto checkE = (expected);                                                        \
        if (!(checkA == checkE))                                                               \
            ::simcheck::fail(__FILE__, __LINE__,                                               \
                             std::string(#actual " == " #expected ": got '")                   \
                                 + ::simcheck::shown(checkA) + "', expected '"                 \
                                 + ::simcheck::shown(checkE) + "'");                           \
    } while (0)
