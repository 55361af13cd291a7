#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace ryk::test {

/// Sets (or, with no value, unsets) an environment variable for one test and puts the old
/// value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

/// Sets TZ (a POSIX rule such as "JST-9", which needs no zone database) for one test.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* rule) : m_tz("TZ", rule) { tzset(); }

private:
    // Declared first, so destroyed last: the old TZ is back when the library reads it again.
    struct ReadAgain {
        ~ReadAgain() { tzset(); }
    } m_readAgain;
    ScopedEnv m_tz;
};

} // namespace ryk::test
