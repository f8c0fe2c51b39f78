// veld-cli write, then read, against veld-sim over a pseudo-terminal: the read prints the lines
// of the file that was written.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "support/sim_process.h"

namespace veld {
namespace {

struct CliRun {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

CliRun Cli(const testing::SimProcess& sim, const QStringList& args) {
    QProcess cli;
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());  // keep the user's settings out
    cli.setProcessEnvironment(env);
    cli.setStandardInputFile(QProcess::nullDevice());  // no terminal: questions answered No
    cli.start(QStringLiteral(VELD_CLI_PATH),
              QStringList{QStringLiteral("--port"), QString::fromStdString(sim.path())} + args);
    cli.waitForFinished(60000);
    return {cli.exitCode(), cli.readAllStandardOutput(), cli.readAllStandardError()};
}

// A configuration file as the window saves it: windows-1250, CRLF.
QString WriteFile(const QTemporaryDir& dir, const QString& name, const QStringList& lines) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    QStringEncoder encoder("windows-1250");
    const QByteArray bytes = encoder(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    EXPECT_FALSE(encoder.hasError());
    file.write(bytes);
    return path;
}

QStringList Header(const QString& type) {
    return {QStringLiteral("Konfigurační data pro GALVO-PRIM:"), QString(),
            QStringLiteral("vstup: ") + type};
}

TEST(WriteRead, ReadPrintsWhatTheWrittenFileHeld) {
    testing::SimProcess sim;  // paced as a 14400 bit/s line
    ASSERT_FALSE(sim.path().empty());
    QTemporaryDir dir;
    const QList<QStringList> files{
        // The divider goes in after the preset's gain: a read shows it, not 1.
        Header(QStringLiteral("napětí")) +
            QStringList{QStringLiteral("dolní mez: 0"), QStringLiteral("horní mez: 5"),
                        QStringLiteral("jednotka: V"),
                        QStringLiteral("linearizace: nelinearizováno"),
                        QStringLiteral("tlumení: 2.0s"), QStringLiteral("chybový proud: podproud"),
                        QStringLiteral("zeslabení děličem: 10")},
        Header(QStringLiteral("termočlánek K")) +
            QStringList{QStringLiteral("dolní mez: 1000"), QStringLiteral("horní mez: -50"),
                        QStringLiteral("jednotka: °C"),
                        QStringLiteral("linearizace: linearizováno"),
                        QStringLiteral("tlumení: 0.5s"), QStringLiteral("chybový proud: vyřazen"),
                        QStringLiteral("vzdálenost st. konce: interní studený konec")},
    };
    for (const QStringList& lines : files) {
        SCOPED_TRACE(lines[2].toStdString());
        const QString path = WriteFile(dir, QStringLiteral("konfigurace.txt"), lines);
        const CliRun written = Cli(sim, {QStringLiteral("--yes"), QStringLiteral("write"), path});
        ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
        const CliRun readBack = Cli(sim, {QStringLiteral("read")});
        ASSERT_EQ(readBack.exitCode, 0) << readBack.err.toStdString();
        EXPECT_EQ(readBack.out.toStdString(), (lines.join(u'\n') + u'\n').toStdString());
    }
}

TEST(WriteRead, WriteAnsweredNoChangesNothing) {
    testing::SimProcess sim;
    ASSERT_FALSE(sim.path().empty());
    const CliRun before = Cli(sim, {QStringLiteral("read")});
    ASSERT_EQ(before.exitCode, 0) << before.err.toStdString();

    QTemporaryDir dir;
    const QString path = WriteFile(
        dir, QStringLiteral("k.txt"),
        Header(QStringLiteral("termočlánek K")) +
            QStringList{QStringLiteral("dolní mez: 0"), QStringLiteral("horní mez: 400"),
                        QStringLiteral("jednotka: °C"),
                        QStringLiteral("linearizace: linearizováno"),
                        QStringLiteral("tlumení: 0.5s"), QStringLiteral("chybový proud: vyřazen"),
                        QStringLiteral("vzdálenost st. konce: interní studený konec")});
    const CliRun declined = Cli(sim, {QStringLiteral("write"), path});
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_TRUE(declined.err.contains("Opravdu se má zapsat konfigurace ?"))
        << declined.err.toStdString();

    const CliRun after = Cli(sim, {QStringLiteral("read")});
    ASSERT_EQ(after.exitCode, 0) << after.err.toStdString();
    EXPECT_EQ(after.out, before.out);
}

}  // namespace
}  // namespace veld
