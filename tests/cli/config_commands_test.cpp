// veld-cli read, calibrate, correction and note, on the simulated transmitter.

#include "cli_fixture.h"

#include <QFile>
#include <QStringEncoder>

namespace veld::cli::test {
namespace {

using namespace Qt::Literals::StringLiterals;

using ConfigCommands = LoggedCliTest;

constexpr const char* kFactoryLines =
    "Konfigurační data pro GALVO-PRIM:\n\nvstup: odporový teploměr Pt100\ndolní mez: 0\n"
    "horní mez: 100\njednotka: °C\nlinearizace: linearizováno\ntlumení: 1.0s\n"
    "chybový proud: nadproud\npřipojení čidla: třívodičově\nParazitní odpor: 0.000\n";

// The end-to-end tests hold the printed lines and the note; here the saved file, byte for byte.
TEST_F(ConfigCommands, readSavesTheFileTheWindowWouldSave) {
    const QString file = dir.filePath(u"cfg.txt"_s);
    EXPECT_EQ(runSim({"read", "--save", file.toStdString()}), kSuccess) << err.str();
    EXPECT_EQ(out.str(), kFactoryLines);
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QString expected = QString::fromUtf8(kFactoryLines).replace(u"\n"_s, u"\r\n"_s);
    EXPECT_EQ(saved.readAll(), QByteArray(QStringEncoder("windows-1250").encode(expected)));
}

TEST_F(ConfigCommands, readOfADifferenceInputLeavesItsTotalToTheUserAndAFailedReadStops) {
    prepare = [](session::Session& s) {
        ASSERT_TRUE(s.simMemory().Write(400, std::vector<link::Byte>{20, 3, 45, 0}));
        ASSERT_TRUE(s.simMemory().Write(408, std::vector<link::Byte>{58, 16, 16, 0}));
    };
    const QString file = dir.filePath(u"diff.txt"_s);
    EXPECT_EQ(runSim({"read", "--save", file.toStdString()}), kFailure);
    EXPECT_NE(out.str().find("\nmax. hodnota napětí: \nzeslabení děličem: 1\n"), std::string::npos)
        << out.str();
    EXPECT_TRUE(said("Není zadána maximální hodnota měřených napětí."));
    EXPECT_FALSE(QFile::exists(file));

    // An input type code outside the table: no file that would not load, no calibration.
    prepare = [](session::Session& s) {
        ASSERT_TRUE(s.simMemory().Write(400, std::vector<link::Byte>{25}));
    };
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"read", "--save", file.toStdString()}, {"calibrate", "lower"}}) {
        EXPECT_EQ(runSim(args), kFailure) << args[0];
        EXPECT_TRUE(said("kód typu vstupu 25 není z rozsahu 1..24.")) << err.str();
    }
    EXPECT_FALSE(QFile::exists(file));

    prepare = [](session::Session& s) { s.simFaults().SetPermanent({sim::Fault::NoReply()}); };
    EXPECT_EQ(runSim({"read"}), kFailure);
    EXPECT_TRUE(said("No answer from transmitter !"));
    EXPECT_TRUE(out.str().empty());
}

// The handler's refusals are the calibration tests'; here what the command prints and where it
// does not calibrate.
TEST_F(ConfigCommands, calibratePrintsTheRangeReadBack) {
    prepare = [](session::Session& s) { s.simDevice().SetProcessValue(20.0f); };
    EXPECT_EQ(runSim({"--yes", "calibrate", "lower"}), kSuccess) << err.str();
    EXPECT_EQ(requests.mid(requests.size() - 2), (QStringList{u"NastOfs"_s, u"ReadEEPROM 60 8"_s}));
    EXPECT_EQ(out.str(), "Počátek: 20 °C\nKonec: 100 °C\n");

    // The read leaves calibration closed for a square-root linearization.
    prepare = [](session::Session& s) {
        ASSERT_TRUE(s.simMemory().Write(400, std::vector<link::Byte>{17, 1, 53, 0}));
        ASSERT_TRUE(s.simMemory().Write(408, std::vector<link::Byte>{58, 16, 15, 3}));
    };
    EXPECT_EQ(runSim({"--yes", "calibrate", "upper"}), kFailure);
    EXPECT_FALSE(sent(u"NastFS"_s));
}

// The correction and note scenarios hold what is written; here what the commands print.
TEST_F(ConfigCommands, correctionAndNoteArePrintedAsTheyAreHeld) {
    prepare = [](session::Session& s) { ASSERT_TRUE(s.simMemory().SetReal(120, 1.04f)); };
    EXPECT_EQ(runSim({"correction"}), kSuccess);
    EXPECT_EQ(out.str(), "1.0 (1.04)\n");
    EXPECT_EQ(runSim({"--json", "correction"}), kSuccess);
    EXPECT_EQ(out.str(), "{\"correction\":1.0399999618530273,\"shown\":\"1.0\"}\n");

    prepare = [](session::Session& s) {
        ASSERT_TRUE(s.simMemory().Write(512, std::vector<link::Byte>{'-', 'x', ' '}));
    };
    EXPECT_EQ(runSim({"--json", "note"}), kSuccess);
    EXPECT_EQ(out.str(), "{\"note\":\"-x\"}\n");
    // Control characters reach no terminal as they are.
    prepare = [](session::Session& s) {
        ASSERT_TRUE(
            s.simMemory().Write(512, std::vector<link::Byte>{0x1B, ']', 9, 0x7F, 0x81, 'x'}));
    };
    EXPECT_EQ(runSim({"note"}), kSuccess);
    EXPECT_EQ(out.str(), "\\x1B]\\x09\\x7F\\x81x\n");
    EXPECT_EQ(runSim({"note", "--", "-minus"}), kSuccess);
}

}  // namespace
}  // namespace veld::cli::test
