// veld-cli relay, output and measure as a technician runs them: real processes, real time, a
// pseudo-terminal to veld-sim.

#include <gtest/gtest.h>

#include "support/cli_process.h"

namespace veld {
namespace {

using testing::Cli;
using testing::CliRun;

QStringList Words(const char* line) {
    return QString::fromUtf8(line).split(u' ');
}

TEST(DeviceCommands, RelayWritesAComparatorAndReadsItBack) {
    testing::SimProcess sim({"--no-pacing"});
    ASSERT_FALSE(sim.path().empty());
    const CliRun w = Cli(sim, Words("--yes relay 3 --enable --on 80.5 --off 75 --delay-on 4 "
                                    "--delay-off 1 --mode OKNO"));
    ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();
    const CliRun r = Cli(sim, Words("relay 3"));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out,
              "Mezní komparátor 3\nPovolení mezního komparátoru 3: ano\nMez sepnutí: 80.50000\n"
              "Mez rozepnutí: 75.00000\nZpoždění sepnutí: 4 s\nZpoždění rozepnutí: 1 s\n"
              "Režim relé 3: OKNO\n");
}

TEST(DeviceCommands, OutputSavesAfterTheReadAndReadsBack) {
    testing::SimProcess sim({"--no-pacing"});
    ASSERT_FALSE(sim.path().empty());
    const CliRun s = Cli(sim, Words("output 4 16 --read"));
    ASSERT_EQ(s.exitCode, 0) << s.err.toStdString();
    const CliRun r = Cli(sim, Words("--json output"));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "{\"begin\":4,\"end\":16,\"unit\":\"\"}\n");
}

TEST(DeviceCommands, MeasurePrintsOneLinePerMeasurement) {
    testing::SimProcess sim({"--no-pacing"});
    ASSERT_FALSE(sim.path().empty());
    const CliRun m = Cli(sim, Words("measure --count 2 --interval 0.2"));
    ASSERT_EQ(m.exitCode, 0) << m.err.toStdString();
    const QList<QByteArray> lines = m.out.split('\n');
    ASSERT_EQ(lines.size(), 3);  // two lines and the end
    for (const QByteArray& line : lines.first(2))
        EXPECT_TRUE(line.contains('.') && line.split('.').at(1).size() == 3) << line.toStdString();
}

}  // namespace
}  // namespace veld
