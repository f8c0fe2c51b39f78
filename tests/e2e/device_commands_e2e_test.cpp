// veld-cli eeprom, relay, output and measure as a technician runs them: real processes, real
// time, a pseudo-terminal to veld-sim.

#include <gtest/gtest.h>

#include "support/cli_process.h"

namespace veld {
namespace {

using testing::Cli;
using testing::CliRun;
using namespace Qt::Literals::StringLiterals;

// What a run that must succeed printed on its standard output.
QByteArray Out(const testing::SimProcess& sim, const char* words) {
    const CliRun run = Cli(sim, words);
    EXPECT_EQ(run.exitCode, 0) << words << ": " << run.err.toStdString();
    return run.out;
}

TEST(DeviceCommands, WrittenValuesReadBackAndMeasurementsPrinted) {
    testing::SimProcess sim({"--no-pacing"});
    ASSERT_FALSE(sim.path().empty());
    EXPECT_EQ(Out(sim, "eeprom write 600 a0a1a2a3a4a5a6a7a8a9aaabacadaeaf b0b1b2b3b4b5b6b7"), "");
    const CliRun e = Cli(sim, "eeprom read 600 24");
    EXPECT_EQ(e.out, "A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF\nB0 B1 B2 B3 B4 B5 B6 B7\n");
    EXPECT_EQ(e.exitCode, 0);
    EXPECT_TRUE(e.err.isEmpty());

    Out(sim, "--yes relay 3 --enable --on 80.5 --off 75 --delay-on 4 --delay-off 1 --mode OKNO");
    EXPECT_EQ(Out(sim, "relay 3"),
              "Mezní komparátor 3\nPovolení mezního komparátoru 3: ano\nMez sepnutí: 80.50000\n"
              "Mez rozepnutí: 75.00000\nZpoždění sepnutí: 4 s\nZpoždění rozepnutí: 1 s\n"
              "Režim relé 3: OKNO\n");

    Out(sim, "output 4 16 --read");
    EXPECT_EQ(Out(sim, "--json output"), "{\"begin\":4,\"end\":16,\"unit\":\"\"}\n");

    const QList<QByteArray> lines = Out(sim, "measure --count 2 --interval 0.2").split('\n');
    ASSERT_EQ(lines.size(), 3);  // two lines and the end
    for (const QByteArray& line : lines.first(2))
        EXPECT_TRUE(line.contains('.') && line.split('.').at(1).size() == 3) << line.toStdString();
}

// A full disk and a closed standard output; the port opened later must not take the closed one's
// number and receive the dump.
TEST(DeviceCommands, OutputThatCannotBeWrittenFails) {
    testing::SimProcess sim({"--no-pacing"});
    ASSERT_FALSE(sim.path().empty());
    for (const char* redirect : {">/dev/full", ">&-"}) {
        QProcess cli;
        cli.start(
            u"/bin/sh"_s,
            {u"-c"_s, u"exec \"$0\" --port \"$1\" eeprom read 0 4 "_s + QLatin1StringView(redirect),
             QStringLiteral(VELD_CLI_PATH), QString::fromStdString(sim.path())});
        ASSERT_TRUE(cli.waitForFinished(60000));
        EXPECT_EQ(cli.exitCode(), 1) << redirect;
        EXPECT_TRUE(cli.readAllStandardError().contains("Výstup se nepodařilo zapsat")) << redirect;
    }
}

}  // namespace
}  // namespace veld
