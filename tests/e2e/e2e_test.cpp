// Whole programs over a real pseudo-terminal: the QSerialPort transport and veld-cli against
// veld-sim. Real time, so only a few transactions.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "link/link.h"
#include "link/real_clock.h"
#include "link/serial_transport.h"
#include "sim_process.h"

namespace veld {
namespace {

struct PtyLink {
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("veld.ini")), QSettings::IniFormat};
    link::SerialTransport transport;
    link::RealClock clock;
    ScriptedPrompts prompts;
    link::PortChoice choice;
    link::Link link{transport, clock, prompts, choice, settings};

    explicit PtyLink(const QString& path) { choice.selectOther(path); }
};

TEST(EndToEnd, SerialTransportWritesReadsAndMeasuresAgainstTheSimulator) {
    testing::SimProcess sim({QStringLiteral("--no-pacing")});
    ASSERT_TRUE(sim.path().startsWith(QLatin1Char('/'))) << sim.path().toStdString();
    PtyLink p(sim.path());

    p.link.tx.TxData[1] = 0x12;
    p.link.tx.TxData[2] = 0x34;
    p.link.tx.TxData[3] = 0x56;
    p.link.BuildRequest("WriteEEPROM", 700, 3);
    ASSERT_FALSE(p.link.SendAndWait()) << p.prompts.messages.join(u'|').toStdString();

    ASSERT_FALSE(p.link.ReadKonst(700, 3));
    EXPECT_EQ(p.link.rx.RxData[2], 0x12);
    EXPECT_EQ(p.link.rx.RxData[3], 0x34);
    EXPECT_EQ(p.link.rx.RxData[4], 0x56);

    ASSERT_FALSE(p.link.ReadKonst(257, 2));  // device-type signature
    EXPECT_EQ(p.link.rx.RxData[2], 0x0D);
    EXPECT_EQ(p.link.rx.RxData[3], 0xE5);

    p.link.BuildRequest("ReadPV", 0, 0);
    ASSERT_FALSE(p.link.SendAndWait());
    const float pv = link::DecodePvFloat(
        {p.link.rx.RxData[3], p.link.rx.RxData[4], p.link.rx.RxData[5], p.link.rx.RxData[6]});
    EXPECT_TRUE(std::isfinite(pv));
    EXPECT_GT(std::abs(pv), 0.0f);
    EXPECT_TRUE(p.prompts.messages.isEmpty());
    EXPECT_FALSE(p.transport.isOpen());
    // A port chosen beside the COM items is remembered under its own name.
    EXPECT_EQ(p.settings.value(link::PortChoice::kOtherPortKey).toString(), sim.path());
    EXPECT_FALSE(p.settings.contains(link::PortChoice::kComPortKey));
}

TEST(EndToEnd, SilentSimulatorGivesTheNoAnswerMessage) {
    testing::SimProcess sim(
        {QStringLiteral("--no-pacing"), QStringLiteral("--fault"), QStringLiteral("no-reply:3")});
    ASSERT_FALSE(sim.path().isEmpty());
    PtyLink p(sim.path());
    EXPECT_TRUE(p.link.ReadKonst(0, 1));
    EXPECT_EQ(p.link.attemptsMade(), 3);
    EXPECT_EQ(p.prompts.messages, QStringList{link::kMsgNoAnswer});
}

TEST(EndToEnd, PortVanishingDuringATransactionEndsItClosed) {
    auto sim = std::make_unique<testing::SimProcess>(QStringList{
        QStringLiteral("--no-pacing"), QStringLiteral("--fault"), QStringLiteral("delay=5000")});
    ASSERT_FALSE(sim->path().isEmpty());
    PtyLink p(sim->path());
    // The transmitter side goes away while the request waits for its reply.
    p.clock.schedule(std::chrono::milliseconds(200), [&] { sim.reset(); });
    const auto start = p.clock.now();
    EXPECT_TRUE(p.link.ReadKonst(0, 1));
    EXPECT_FALSE(p.transport.isOpen());
    EXPECT_FALSE(p.link.PortOpen);
    ASSERT_EQ(p.prompts.messages.size(), 1);
    EXPECT_TRUE(p.prompts.messages[0] == link::kMsgWriteFailed ||
                p.prompts.messages[0] == link::kMsgNoAnswer)
        << p.prompts.messages[0].toStdString();
    EXPECT_LT(p.clock.now() - start, std::chrono::seconds(5));
}

struct CliRun {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

CliRun RunCli(const QStringList& args) {
    QProcess cli;
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());  // keep the user's settings out
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(VELD_CLI_PATH), args);
    cli.waitForFinished(60000);
    return {cli.exitCode(), cli.readAllStandardOutput(), cli.readAllStandardError()};
}

TEST(EndToEnd, CliWritesAndReadsEepromInHex) {
    testing::SimProcess sim({QStringLiteral("--no-pacing")});
    ASSERT_FALSE(sim.path().isEmpty());
    QStringList write{QStringLiteral("--port"), sim.path(), QStringLiteral("eeprom"),
                      QStringLiteral("write"), QStringLiteral("600")};
    for (int i = 0; i < 24; ++i)
        write << QStringLiteral("%1").arg(i + 0xA0, 2, 16, QLatin1Char('0'));
    const CliRun w = RunCli(write);
    ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();
    EXPECT_TRUE(w.out.isEmpty());

    const CliRun r = RunCli({QStringLiteral("--port"), sim.path(), QStringLiteral("eeprom"),
                             QStringLiteral("read"), QStringLiteral("600"), QStringLiteral("24")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out,
              "A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF\n"
              "B0 B1 B2 B3 B4 B5 B6 B7\n");
    EXPECT_TRUE(r.err.isEmpty());
}

TEST(EndToEnd, CliReportsAnUnopenablePortAndUsageErrors) {
    const CliRun r = RunCli({QStringLiteral("--port"), QStringLiteral("/dev/veld-no-such-port"),
                             QStringLiteral("eeprom"), QStringLiteral("read"), QStringLiteral("0"),
                             QStringLiteral("4")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "It is not possible initialize comm /dev/veld-no-such-port\n");
    EXPECT_TRUE(r.out.isEmpty());

    const CliRun u =
        RunCli({QStringLiteral("eeprom"), QStringLiteral("read"), QStringLiteral("0")});
    EXPECT_EQ(u.exitCode, 2);
    EXPECT_EQ(u.err.count('\n'), 1);
}

}  // namespace
}  // namespace veld

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
