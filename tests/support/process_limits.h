#pragma once

// What a test changes in its own process for a while: an environment variable, or the largest
// file it may write (Unix). Both are put back at the end of the scope.

#include <QByteArray>
#include <QtGlobal>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

namespace veld::testing {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

#ifndef _WIN32
// Runs `write` while a file may grow to `bytes` only: a write beyond fails with EFBIG (27), for
// root too, as on a full disk. Nothing else may write a file meanwhile, test output included.
template <typename Write>
auto WithFileSizeLimit(rlim_t bytes, Write write) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto handler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
    auto result = write();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, handler);
    return result;
}
#endif

}  // namespace veld::testing
