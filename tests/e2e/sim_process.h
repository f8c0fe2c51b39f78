#pragma once

// Starts veld-sim on a pseudo-terminal and hands out the path it prints first.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace veld::testing {

class SimProcess {
public:
    explicit SimProcess(const QStringList& extraArgs = {}) {
        process_.setProgram(QStringLiteral(VELD_SIM_PATH));
        process_.setArguments(QStringList{QStringLiteral("--idle-timeout"), QStringLiteral("60")} +
                              extraArgs);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        if (!process_.waitForStarted(10000))
            return;
        // The path is the first line; give a slow sanitizer build time to print it.
        while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
        }
        path_ = QString::fromUtf8(process_.readLine()).trimmed();
    }
    ~SimProcess() {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(5000);
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const QString& path() const { return path_; }
    QProcess& process() { return process_; }

private:
    QProcess process_;
    QString path_;
};

}  // namespace veld::testing
