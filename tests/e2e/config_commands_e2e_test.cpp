// veld-cli read and note as a technician runs them: real processes, real time, a pseudo-terminal
// to veld-sim.

#include <gtest/gtest.h>

#include <QFile>

#include "support/cli_process.h"

namespace veld {
namespace {

using testing::Cli;
using testing::CliRun;

TEST(ConfigCommands, ReadShowsWhatTheTransmitterHoldsAndSavesIt) {
    testing::SimProcess sim;  // paced as a 14400 bit/s line
    ASSERT_FALSE(sim.path().empty());
    const CliRun note = Cli(sim, {QStringLiteral("note"), QStringLiteral("Hala 2 – čerpadlo")});
    ASSERT_EQ(note.exitCode, 0) << note.err.toStdString();

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("převodník.txt"));
    const CliRun readBack = Cli(
        sim, {QStringLiteral("--json"), QStringLiteral("read"), QStringLiteral("--save"), file});
    ASSERT_EQ(readBack.exitCode, 0) << readBack.err.toStdString();
    EXPECT_TRUE(
        readBack.out.startsWith("{\"lines\":[\"Konfigurační data pro GALVO-PRIM:\",\"\","
                                "\"vstup: odporový teploměr Pt100\","))
        << readBack.out.toStdString();
    EXPECT_TRUE(readBack.out.contains("\"note\":\"Hala 2 – čerpadlo\""))
        << readBack.out.toStdString();
    EXPECT_TRUE(readBack.err.isEmpty()) << readBack.err.toStdString();

    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().startsWith("Konfigura\xe8n\xed data pro GALVO-PRIM:\r\n\r\n"));
}

}  // namespace
}  // namespace veld
