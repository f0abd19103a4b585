#pragma once
// A tiny check helper for the link tests: plain C++, so that they also build without Qt and
// run under ThreadSanitizer.

#include <cstdio>
#include <initializer_list>
#include <sstream>
#include <string>
#include <type_traits>

namespace linkcheck {

inline int& failureCount()
{
    static int count = 0;
    return count;
}

inline std::string& currentCase()
{
    static std::string name;
    return name;
}

// Text with its line ends and other control bytes made visible, as protocol text needs.
inline std::string escaped(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
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

template<typename T>
std::string toText(const T& value)
{
    if constexpr (std::is_convertible_v<T, std::string>)
        return "'" + escaped(std::string(value)) + "'";
    else if constexpr (std::is_same_v<T, bool>)
        return value ? "true" : "false";
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
        return std::to_string(static_cast<long long>(value));
    else if constexpr (requires { value.begin(); value.end(); }
                       && !std::is_convertible_v<T, std::string>) {
        std::string text = "[";
        for (const auto& item : value)
            text += (text.size() > 1 ? ", " : "") + toText(item);
        return text + "]";
    } else if constexpr (requires(std::ostream& out) { out << value; }) {
        std::ostringstream out;
        out << value;
        return out.str();
    } else
        return "(value)";
}

inline void fail(const char* file, int line, const std::string& what)
{
    ++failureCount();
    std::fprintf(stderr, "%s:%d: FAIL [%s] %s\n", file, line, currentCase().c_str(),
                 what.c_str());
}

// Names the row of a case table in failure messages.
struct Row
{
    std::string saved;
    explicit Row(const std::string& row)
        : saved(currentCase())
    {
        currentCase() = saved + " / " + row;
    }
    ~Row() { currentCase() = saved; }
};

struct Test
{
    const char* name;
    void (*run)();
};

template<typename T>
std::string shown(const T& value)
{
    return toText(value);
}

inline int runTests(const Test* begin, const Test* end)
{
    for (const Test* test = begin; test != end; ++test) {
        currentCase() = test->name;
        const int before = failureCount();
        test->run();
        std::printf("%s %s\n", failureCount() == before ? "PASS" : "FAIL", test->name);
        std::fflush(stdout);
    }
    std::printf("%d failure(s)\n", failureCount());
    return failureCount() == 0 ? 0 : 1;
}

inline int runTests(std::initializer_list<Test> tests)
{
    return runTests(tests.begin(), tests.end());
}

template<std::size_t N>
int runTests(const Test (&tests)[N])
{
    return runTests(tests, tests + N);
}

} // namespace linkcheck

#define CHECK(cond)                                                                            \
    do {                                                                                       \
        if (!(cond))                                                                           \
            ::linkcheck::fail(__FILE__, __LINE__, #cond);                                      \
    } while (0)

#define CHECK_EQ(actual, expected)                                                             \
    do {                                                                                       \
        const auto checkA = (actual);                                                          \
        const auto checkE = (expected);                                                        \
        if (!(checkA == checkE))                                                               \
            ::linkcheck::fail(__FILE__, __LINE__,                                              \
                              std::string(#actual " == " #expected ": got ")                   \
                                  + ::linkcheck::toText(checkA) + ", expected "                \
                                  + ::linkcheck::toText(checkE));                              \
    } while (0)
