#pragma once

// Runs veld-cli (built beside the end-to-end tests) against a running veld-sim and collects what
// it printed. Each run gets its own empty settings folder so the user's settings stay out, and no
// terminal, so its questions are answered No.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "support/sim_process.h"

namespace veld::testing {

struct CliRun {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

inline CliRun RunCli(const QStringList& args) {
    QProcess cli;
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    cli.setProcessEnvironment(env);
    cli.setStandardInputFile(QProcess::nullDevice());
    cli.start(QStringLiteral(VELD_CLI_PATH), args);
    cli.waitForFinished(60000);
    return {cli.exitCode(), cli.readAllStandardOutput(), cli.readAllStandardError()};
}

// The same on the pseudo-terminal of `sim`.
inline CliRun Cli(const SimProcess& sim, const QStringList& args) {
    return RunCli(QStringList{QStringLiteral("--port"), QString::fromStdString(sim.path())} + args);
}

// The arguments as one line of words separated by single spaces.
inline CliRun Cli(const SimProcess& sim, const char* words) {
    return Cli(sim, QString::fromUtf8(words).split(u' '));
}

}  // namespace veld::testing
