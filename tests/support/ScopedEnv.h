#pragma once
// Sets an environment variable (nullptr removes it) for the life of the
// object, then puts the old value back.  Child processes inherit it.

#include <cstdlib>
#include <optional>
#include <string>

namespace tw::test {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        Set(value);
    }
    ~ScopedEnv() { Set(m_old ? m_old->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const char* value) {
#ifdef _WIN32
        ::_putenv_s(m_name, value ? value : "");  // "" removes it
#else
        if (value) {
            ::setenv(m_name, value, 1);
        } else {
            ::unsetenv(m_name);
        }
#endif
    }
    const char* m_name;
    std::optional<std::string> m_old;
};

}  // namespace tw::test
