// veld-cli backup, restore, diff and write --verify on the simulated transmitter.

#include "cli_fixture.h"

#include <QRegularExpression>

namespace veld::cli::test {
namespace {

// The simulator's memory carried from run to run, as one transmitter would keep it.
class BackupCommands : public LoggedCliTest {
protected:
    BackupCommands() {
        prepare = [this](session::Session& s) {
            if (!memory.empty()) {
                ASSERT_TRUE(s.simMemory().Write(0, memory));
            }
            if (faults)
                faults(s);
        };
        inspect = [this](session::Session& s) {
            requests = testing::DescribeLog(s.simDevice().Log());
            const auto bytes = s.simMemory().Bytes();
            memory.assign(bytes.begin(), bytes.end());
        };
    }
    std::vector<link::Byte> memory;
    std::function<void(session::Session&)> faults;
};

// backup_restore.scn and the end-to-end test hold the memory as it was after a restore, and the
// refusal of foreign backups and of another transmitter; here the question, the frame of the
// restore's requests, a damaged backup and what a failure left.
TEST_F(BackupCommands, restoreAsksWritesBetweenStopAndResetAndNamesWhatAFailureLeft) {
    const std::string backup = dir.filePath(u"zaloha.txt"_s).toStdString();
    ASSERT_EQ(runSim({"backup", backup}), kSuccess) << err.str();
    EXPECT_FALSE(requests.join(u'\n').contains(u"WriteEEPROM"_s));
    EXPECT_EQ(runSim({"restore", backup}), kFailure);  // no terminal: answered No
    EXPECT_EQ(requests, QStringList{u"ReadEEPROM 257 2"_s});
    ASSERT_EQ(runSim({"--yes", "restore", backup}), kSuccess) << err.str();
    EXPECT_EQ(requests.mid(0, 2), (QStringList{u"ReadEEPROM 257 2"_s, u"Stop"_s}));
    EXPECT_EQ(requests.mid(requests.size() - 2), (QStringList{u"Reset"_s, u"Continue"_s}));

    QFile f(QString::fromStdString(backup));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray damaged = f.readAll();
    damaged[damaged.indexOf("\n1040: ") + 8] = '9';
    EXPECT_EQ(runSim({"--yes", "restore", file(u"damaged.txt"_s, damaged)}), kFailure);
    EXPECT_TRUE(said("Záloha je poškozená: kontrolní součet nesouhlasí. Nic nebylo zapsáno."));
    EXPECT_TRUE(requests.isEmpty());

    faults = [](session::Session& s) {
        s.simFaults().QueueClean(5);  // signature, "Stop", the three writes of two areas
        s.simFaults().Queue(sim::Fault::NoReply(), 3);
    };
    EXPECT_EQ(runSim({"--yes", "restore", backup}), kFailure);
    EXPECT_TRUE(
        said("Obnova ze zálohy se zastavila při zápisu oblasti „předvolba 2“. Zapsané "
             "oblasti: předvolba, výstup."))
        << err.str();
}

TEST_F(BackupCommands, diffPrintsOnlyTheDifferencesInSinglePrecision) {
    EXPECT_EQ(runSim({"diff", configuration(u"same.txt"_s, QString(kFactory))}), kSuccess)
        << err.str();
    EXPECT_EQ(out.str(), "");

    const QString changed = QString(kFactory)
                                .replace(u"horní mez: 100"_s, u"horní mez: 400.7"_s)
                                .replace(u"tlumení: 1.0s"_s, u"tlumení: 2.0s"_s);
    const std::string path = configuration(u"changed.txt"_s, changed);
    EXPECT_EQ(runSim({"diff", path}), kFailure);
    EXPECT_EQ(out.str(), "horní mez: 100 → 400.7\ntlumení: 1.0s → 2.0s\n");
    EXPECT_EQ(runSim({"--json", "diff", path}), kFailure);
    EXPECT_EQ(out.str().rfind(R"({"differences":[{"field":"horní mez","file":"400.7",)", 0), 0u)
        << out.str();

    // Written, then read back as 400.7000122: equal as the transmitter stores it.
    ASSERT_EQ(runSim({"--yes", "write", path}), kSuccess) << err.str();
    EXPECT_EQ(runSim({"diff", path}), kSuccess) << out.str();
}

// verify_write.scn holds the requests of a verified write and of the read after it.
TEST_F(BackupCommands, verifiedWriteFindsAByteChangedAfterTheWrite) {
    const QString changed = QString(kFactory).replace(u"tlumení: 1.0s"_s, u"tlumení: 2.0s"_s);
    const std::string path = configuration(u"c.txt"_s, changed);
    ASSERT_EQ(runSim({"--yes", "write", path, "--verify"}), kSuccess) << err.str();

    faults = [](session::Session& s) {
        s.simFaults().onAnswer = [&s] {
            const auto& log = s.simDevice().Log();
            if (!log.empty() && testing::DescribeRequest(log.back()) == u"Continue"_s)
                s.simMemory().SetReal(363, 3.0f);
        };
    };
    EXPECT_EQ(runSim({"--yes", "write", path, "--verify"}), kFailure);
    EXPECT_TRUE(said("Ověření: tlumení: 3.0s → 2.0s\n")) << err.str();
}

TEST_F(BackupCommands, traceNamesEveryTransactionOfAWholeWriteWithItsMeaning) {
    ASSERT_EQ(runSim({"--yes", "--trace", "write", configuration(u"c.txt"_s, QString(kFactory))}),
              kSuccess);
    static const QRegularExpression decoded(
        uR"(^\d+\.\d{3} s  (Stop|Reset|Continue|\w+EEPROM \d+ \(\d+ B\) [←→] \p{L}[^[]+)  \[kód 0)"_s);
    QStringList lines = QString::fromStdString(err.str()).split(u'\n', Qt::SkipEmptyParts);
    lines.removeAll(u"Opravdu se má zapsat konfigurace ? [a/n] ano (--yes)"_s);
    for (const QString& line : lines)
        EXPECT_TRUE(decoded.match(line).hasMatch()) << line.toStdString();
    // Two reads, "Stop", the flags read and written, the scaling read and written, the damping
    // and its coefficient, 8 preset writes, the divider, the limits, 21 of the segment table, its
    // kind, the output flags, 11 of the record, "Reset", "Continue": the requests of
    // write_pt100_linearized.scn.
    EXPECT_EQ(lines.size(), 55);
}

}  // namespace
}  // namespace veld::cli::test
