// Whole programs over a real pseudo-terminal: the QSerialPort transport and veld-cli against
// veld-sim. Real time, so only a few transactions.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "link/link.h"
#include "link/serial_transport.h"
#include "support/cli_process.h"
#include "support/link_calls.h"
#include "support/program.h"

namespace veld {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::ReadKonst;

// The program as veld-konf and veld-cli build it (real clock, serial transport), its port chosen
// as the user chooses one: the pseudo-terminal of a veld-sim.
struct PtyLink : testing::Program {
    explicit PtyLink(const std::string& path)
        : Program({.port = std::nullopt, .virtualTime = false}) {
        session().portChoice().selectOther(QString::fromStdString(path));
    }
    link::SerialTransport& transport = session().serialTransport();
    link::Clock& realClock = session().clock();
    link::Link& link = session().link();
};

TEST(EndToEnd, SerialTransportWritesReadsAndMeasuresAgainstTheSimulator) {
    testing::SimProcess sim({"--no-pacing"});
    ASSERT_EQ(sim.path().rfind("/dev/", 0), 0u) << sim.path();
    PtyLink p(sim.path());

    p.link.BuildRequest("WriteEEPROM", 700, 3, std::vector<link::Byte>{0x12, 0x34, 0x56});
    ASSERT_FALSE(p.link.SendAndWait()) << p.prompts.messages.join(u'|').toStdString();

    ASSERT_FALSE(ReadKonst(p.link, 700, 3));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(p.link.replyData().data()) + 2, 3),
              "\x12\x34\x56");

    ASSERT_FALSE(ReadKonst(p.link, 257, 2));  // device-type signature
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(p.link.replyData().data()) + 2, 2),
              "\x0D\xE5");

    p.link.BuildRequest("ReadPV", 0, 0);
    ASSERT_FALSE(p.link.SendAndWait());
    const float pv = link::DecodePvFloat({p.link.replyData()[3], p.link.replyData()[4],
                                          p.link.replyData()[5], p.link.replyData()[6]});
    EXPECT_TRUE(std::isfinite(pv));
    EXPECT_GT(std::abs(pv), 0.0f);
    EXPECT_TRUE(p.prompts.messages.isEmpty());
    EXPECT_FALSE(p.transport.isOpen());
    // A port chosen beside the COM items is remembered under its own name.
    EXPECT_EQ(p.settings.value(link::PortChoice::kOtherPortKey).toString().toStdString(),
              sim.path());
    EXPECT_FALSE(p.settings.contains(link::PortChoice::kComPortKey));
}

// The device goes away while the request waits for its reply: the transaction ends at once with
// the lost-port message. Without that handling it would run through three time-outs (3.65 s)
// and end with "No answer from transmitter !".
TEST(EndToEnd, PortVanishingDuringATransactionEndsItAtOnce) {
    auto sim = std::make_unique<testing::SimProcess>(
        std::vector<std::string>{"--no-pacing", "--fault", "delay=5000"});
    ASSERT_FALSE(sim->path().empty());
    PtyLink p(sim->path());
    p.realClock.schedule(std::chrono::milliseconds(200), [&] { sim.reset(); });
    const auto start = p.realClock.now();
    EXPECT_TRUE(ReadKonst(p.link, 0, 1));
    const auto took = p.realClock.now() - start;
    EXPECT_EQ(p.prompts.messages, QStringList{link::kMsgWriteFailed});
    EXPECT_EQ(p.link.lastResult(), link::TransactionResult::PortLost);
    EXPECT_EQ(p.link.attemptsMade(), 1);
    // Even one time-out would end 1051 ms after the start.
    EXPECT_LT(took, std::chrono::milliseconds(1000));
    EXPECT_FALSE(p.transport.isOpen());
    EXPECT_FALSE(p.link.PortOpen);
}

using testing::Cli;
using testing::CliRun;

TEST(EndToEnd, CliReportsAnUnopenablePort) {
    const auto words = [](const char* line) { return QString::fromUtf8(line).split(u' '); };
    const CliRun r = testing::RunCli(words("--port /dev/veld-no-such-port eeprom read 0 4"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "It is not possible initialize comm /dev/veld-no-such-port\n");
    EXPECT_TRUE(r.out.isEmpty());
}

// Another name of a pseudo-terminal this program holds: veld-cli is refused at once and told who
// holds it. The simulator's own open of its end is no hold.
TEST(EndToEnd, CliRefusesAPortHeldUnderAnotherName) {
    testing::SimProcess sim({"--no-pacing"});
    ASSERT_EQ(sim.path().rfind("/dev/", 0), 0u) << sim.path();
    PtyLink holder(sim.path());
    ASSERT_TRUE(holder.transport.open(sim.path()));
    const QString doubled = QString::fromStdString("/dev/" + sim.path().substr(4));
    const CliRun r =
        testing::RunCli({u"--port"_s, doubled, u"eeprom"_s, u"read"_s, u"257"_s, u"2"_s});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(r.err),
              link::kMsgCannotOpen + doubled +
                  QStringLiteral("\nPort používá jiný program (e2e_tests, PID %1).\n")
                      .arg(QCoreApplication::applicationPid()));
    holder.transport.close();
    EXPECT_EQ(Cli(sim, "eeprom read 257 2").exitCode, 0);
}

}  // namespace
}  // namespace veld

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
