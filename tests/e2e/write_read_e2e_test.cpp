// veld-cli write, read and note against veld-sim over a pseudo-terminal paced as a 14400 bit/s
// line: a read prints the lines of the file written; a declined write changes nothing.

#include <gtest/gtest.h>

#include <QFile>
#include <QStringEncoder>

#include "support/cli_process.h"

#include <chrono>

namespace veld {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::Cli;
using testing::CliRun;

// A configuration file as the window saves it: windows-1250, CR LF.
QString WriteFile(const QTemporaryDir& dir, const QString& text) {
    const QString path = dir.filePath(u"konfigurace.txt"_s);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    QStringEncoder encoder("windows-1250");
    file.write(encoder(QString(text).replace(u"\n"_s, u"\r\n"_s)));
    EXPECT_FALSE(encoder.hasError());
    return path;
}

const QString kHeader = u"Konfigurační data pro GALVO-PRIM:\n\nvstup: "_s;
// The divider goes in after the preset's gain: a read shows it, not 1.
const QString kVoltage = kHeader +
                         u"napětí\ndolní mez: 0\nhorní mez: 5\njednotka: V\nlinearizace: "
                         "nelinearizováno\ntlumení: 2.0s\nchybový proud: podproud\nzeslabení "
                         "děličem: 10\n"_s;

TEST(WriteRead, ReadPrintsWhatTheWrittenFileHeld) {
    testing::SimProcess sim;
    ASSERT_FALSE(sim.path().empty());
    QTemporaryDir dir;
    const QString files[] = {
        kVoltage,
        kHeader +
            u"termočlánek K\ndolní mez: 1000\nhorní mez: -50\njednotka: °C\nlinearizace: "
            "linearizováno\ntlumení: 0.5s\nchybový proud: vyřazen\nvzdálenost st. konce: "
            "interní studený konec\n"_s,
    };
    for (std::size_t i = 0; i < std::size(files); ++i) {
        SCOPED_TRACE(files[i].section(u'\n', 2, 2).toStdString());
        const QString path = WriteFile(dir, files[i]);
        if (i > 0) {
            const CliRun declined = Cli(sim, {u"write"_s, path});
            EXPECT_EQ(declined.exitCode, 1);
            EXPECT_TRUE(declined.err.contains("Opravdu se má zapsat konfigurace ?"))
                << declined.err.toStdString();
            EXPECT_EQ(Cli(sim, "read").out.toStdString(), files[i - 1].toStdString());
        }
        const CliRun written = Cli(sim, {u"--yes"_s, u"write"_s, path});
        ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
        const CliRun readBack = Cli(sim, "read");
        ASSERT_EQ(readBack.exitCode, 0) << readBack.err.toStdString();
        EXPECT_EQ(readBack.out.toStdString(), files[i].toStdString());
    }

    ASSERT_EQ(Cli(sim, {u"note"_s, u"Hala 2 – čerpadlo"_s}).exitCode, 0);
    const QString saved = dir.filePath(u"převodník.txt"_s);
    const CliRun json = Cli(sim, {u"--json"_s, u"read"_s, u"--save"_s, saved});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    EXPECT_TRUE(
        json.out.startsWith("{\"lines\":[\"Konfigurační data pro GALVO-PRIM:\",\"\","
                            "\"vstup: termočlánek K\","))
        << json.out.toStdString();
    EXPECT_TRUE(json.out.contains("\"note\":\"Hala 2 – čerpadlo\"")) << json.out.toStdString();
    EXPECT_TRUE(json.err.isEmpty()) << json.err.toStdString();
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("Konfigura\xe8n\xed data pro GALVO-PRIM:\r\n\r\n"));
}

// The simulator's whole memory when it ends, after `run` has had its way with it.
QByteArray MemoryAfter(const QString& image,
                       const std::function<void(const testing::SimProcess&)>& run) {
    testing::SimProcess sim({"--image", image.toStdString(), "--save-on-exit", "--no-pacing"});
    EXPECT_FALSE(sim.path().empty());
    run(sim);
    sim.terminate();
    EXPECT_EQ(sim.waitForExit(std::chrono::seconds(10)), 0);
    QFile file(image);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A backup, a changed configuration and comparator, a restore: the memory is as it was, byte for
// byte.
TEST(BackupRestore, RestoreLeavesTheMemoryAsItWas) {
    QTemporaryDir dir;
    const QString backup = dir.filePath(u"zaloha.txt"_s);
    const QByteArray before = MemoryAfter(dir.filePath(u"a.img"_s), [](const auto&) {});
    const QString changed = WriteFile(dir, kVoltage);
    const QByteArray after = MemoryAfter(dir.filePath(u"b.img"_s), [&](const auto& sim) {
        ASSERT_EQ(Cli(sim, {u"backup"_s, backup}).exitCode, 0);
        ASSERT_EQ(Cli(sim, {u"--yes"_s, u"write"_s, changed}).exitCode, 0);
        ASSERT_EQ(Cli(sim, "--yes relay 2 --enable --on 50 --off 40").exitCode, 0);
        EXPECT_EQ(Cli(sim, {u"diff"_s, changed}).exitCode, 0);
        const CliRun restored = Cli(sim, {u"--yes"_s, u"restore"_s, backup});
        EXPECT_EQ(restored.exitCode, 0) << restored.err.toStdString();
        EXPECT_EQ(Cli(sim, {u"diff"_s, changed}).exitCode, 1);
    });
    ASSERT_EQ(before.size(), 2048);
    EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace veld
