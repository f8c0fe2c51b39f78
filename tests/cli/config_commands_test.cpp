// veld-cli read, calibrate, correction and note, on the simulated transmitter.

#include "cli_fixture.h"

#include <QFile>

namespace veld::cli::test {
namespace {

using ConfigCommands = LoggedCliTest;

// The end-to-end tests hold the printed lines and the note; here the saved file, byte for byte.
TEST_F(ConfigCommands, readSavesTheFileTheWindowWouldSave) {
    const QString file = dir.filePath(u"cfg.txt"_s);
    EXPECT_EQ(runSim({"read", "--save", file.toStdString()}), kSuccess) << err.str();
    EXPECT_EQ(QString::fromStdString(out.str()), kFactory);
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(),
              config::cp1250::Encode(QString(kFactory).replace(u"\n"_s, u"\r\n"_s)).bytes);
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
    EXPECT_EQ(out.str(), "Počátek: 20 °C\nKonec: 100 °C\n");  // calibration_lower.scn: the requests

    // The read leaves calibration closed for a square-root linearization.
    prepare = [](session::Session& s) {
        ASSERT_TRUE(s.simMemory().Write(400, std::vector<link::Byte>{17, 1, 53, 0}));
        ASSERT_TRUE(s.simMemory().Write(408, std::vector<link::Byte>{58, 16, 15, 3}));
    };
    EXPECT_EQ(runSim({"--yes", "calibrate", "upper"}), kFailure);
    EXPECT_FALSE(sent(u"NastFS"_s));
}

}  // namespace
}  // namespace veld::cli::test
