#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace ryk::test {

/// Sets TZ (a POSIX rule such as "JST-9", which needs no zone database) for one test.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* rule) {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        setenv("TZ", rule, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_old)
            setenv("TZ", m_old->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> m_old;
};

} // namespace ryk::test
