// toolbox/text/locale_env_testing.h - test helper: sets one environment variable for a scope.
#ifndef TOOLBOX_TEXT_LOCALE_ENV_TESTING_H
#define TOOLBOX_TEXT_LOCALE_ENV_TESTING_H

#include <cstdlib>
#include <optional>
#include <string>

namespace toolbox::testing {

// Sets (or, for null, clears) the variable; the old value comes back at the end of the scope.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : name_(name) {
        if (const char *old = getenv(name)) old_ = old;
        Set(value);
    }
    ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }
    void Set(const char *value) { value ? setenv(name_.c_str(), value, 1) : unsetenv(name_.c_str()); }

private:
    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace toolbox::testing

#endif
