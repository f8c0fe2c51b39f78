#pragma once

// What a test changes in its own process for a while: an environment variable, or the largest
// file it may write (Unix). Both are put back at the end.

#include <QByteArray>
#include <QtGlobal>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

namespace veld::testing {

struct ScopedEnv {
    ScopedEnv(const char* variable, const QByteArray& value)
        : name(variable), old(qgetenv(variable)) {
        qputenv(variable, value);
    }
    ~ScopedEnv() { old.isNull() ? qunsetenv(name) : qputenv(name, old); }
    const char* name;
    QByteArray old;
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
