#pragma once

// What the benchmarks share: veld-sim on a pseudo-terminal for the length of one run, the line
// rate, and the memory figures of this process.

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

namespace veld::bench {

// 14400 bit/s with 11 bits a character (start, 8 data, parity, stop): 0.764 ms a character.
inline constexpr double kCharMs = 11.0 * 1000.0 / 14400.0;

// veld-sim started with the given options; it prints its pseudo-terminal first. Ended (SIGTERM)
// when this object goes.
class SimProcess {
public:
    SimProcess(const QString& program, const QStringList& arguments) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(program, arguments);
        if (!process_.waitForStarted())
            return;
        while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
        }
        path_ = QString::fromUtf8(process_.readLine()).trimmed();
    }
    ~SimProcess() {
        process_.terminate();
        process_.waitForFinished();
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The pseudo-terminal; empty when the simulator did not start.
    const QString& path() const { return path_; }

private:
    QProcess process_;
    QString path_;
};

// A "VmRSS:" or "VmHWM:" line of /proc/self/status, in KiB; nothing where there is no /proc.
inline std::optional<long long> ProcStatusKiB(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray prefix(key);
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (!line.startsWith(prefix))
            continue;
        bool ok = false;
        const long long kib = line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong(&ok);
        return ok ? std::optional<long long>(kib) : std::nullopt;
    }
    return std::nullopt;
}

}  // namespace veld::bench
