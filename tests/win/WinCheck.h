#pragma once

// A minimal check helper for the Qt-free Windows tests: a failed check prints where and what,
// and marks the running test failed without stopping it.

#include <cstdio>
#include <string>

namespace wincheck {

inline int& Failures()
{
    static int failures = 0;
    return failures;
}

inline std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) {
        if (c < 0x80) {
            out += char(c);
        } else {
            char escaped[16];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
            out += escaped;
        }
    }
    return out;
}

inline void Fail(const char* file, int line, const std::string& what)
{
    ++Failures();
    std::fprintf(stderr, "FAIL %s:%d: %s\n", file, line, what.c_str());
    std::fflush(stderr);
}

inline std::string Show(const std::wstring& value)
{
    return "\"" + Narrow(value) + "\"";
}
inline std::string Show(const wchar_t* value)
{
    return Show(std::wstring(value ? value : L"(null)"));
}
inline std::string Show(const std::string& value)
{
    return "\"" + value + "\"";
}
inline std::string Show(bool value)
{
    return value ? "true" : "false";
}
template <typename T> std::string Show(const T& value)
{
    return std::to_string(value);
}

} // namespace wincheck

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition))                                                                          \
            wincheck::Fail(__FILE__, __LINE__, #condition);                                        \
    } while (0)

#define CHECK_EQ(actual, expected)                                                                 \
    do {                                                                                           \
        const auto& actualValue_ = (actual);                                                       \
        const auto& expectedValue_ = (expected);                                                   \
        if (!(actualValue_ == expectedValue_))                                                     \
            wincheck::Fail(__FILE__, __LINE__,                                                     \
                           std::string(#actual " == " #expected ": got ") +                        \
                               wincheck::Show(actualValue_) + ", expected " +                      \
                               wincheck::Show(expectedValue_));                                    \
    } while (0)
