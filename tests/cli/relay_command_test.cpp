// veld-cli relay: the page "Relé" driven by control names, on the simulated transmitter.

#include "cli_fixture.h"

namespace veld::cli::test {
namespace {

using namespace Qt::Literals::StringLiterals;

using Relay = LoggedCliTest;

TEST_F(Relay, readPrintsTheComparatorAsTheWindowShowsIt) {
    prepare = [](session::Session& s) {
        ASSERT_TRUE(s.simMemory().SetReal(1048, 50.0f));
        ASSERT_TRUE(s.simMemory().SetReal(1052, 45.0f));
        ASSERT_TRUE(s.simMemory().Write(1073, std::vector<link::Byte>{2}));
        ASSERT_TRUE(s.simMemory().Write(1081, std::vector<link::Byte>{0x03}));
    };
    EXPECT_EQ(runSim({"relay", "2"}), kSuccess) << err.str();
    EXPECT_EQ(out.str(),
              "Mezní komparátor 2\nPovolení mezního komparátoru 2: ano\nMez sepnutí: 50.00000\n"
              "Mez rozepnutí: 45.00000\nZpoždění sepnutí: 2 s\nZpoždění rozepnutí: 0 s\n"
              "Režim relé 2: OKNO\n");
    EXPECT_EQ(runSim({"--json", "relay", "2"}), kSuccess);
    EXPECT_EQ(out.str(),
              "{\"comparator\":2,\"delayOff\":0,\"delayOn\":2,\"enabled\":true,\"mode\":\"OKNO\","
              "\"off\":45,\"on\":50,\"unit\":\"\"}\n");
}

TEST_F(Relay, enableSendsWhatTheWindowsSaveSendsAfterTheQuestion) {
    EXPECT_EQ(runSim({"relay", "2", "--enable", "--on", "50", "--off", "45", "--delay-on", "2",
                      "--mode", "OKNO"}),
              kFailure);
    EXPECT_NE(err.str().find("Opravdu se má zapsat konfigurace Relé 2?"), std::string::npos);
    EXPECT_EQ(requests, QStringList{u"ReadEEPROM 1120 2"_s});  // answered No: no terminal

    EXPECT_EQ(runSim({"--yes", "relay", "2", "--enable", "--on", "50", "--off", "45", "--delay-on",
                      "2", "--mode", "OKNO"}),
              kSuccess)
        << err.str();
    EXPECT_EQ(requests, (QStringList{u"ReadEEPROM 1120 2"_s, u"WriteEEPROM 1073 1 02"_s,
                                     u"WriteEEPROM 1077 1 00"_s,
                                     u"WriteEEPROM 1048 8 86 48 00 00 86 34 00 00"_s,
                                     u"ReadEEPROM 1081 1"_s, u"WriteEEPROM 1081 1 23"_s}));
}

TEST_F(Relay, zeroLimitTypedBeforeTheOtherIsNoEqualPair) {
    EXPECT_EQ(runSim({"--yes", "relay", "1", "--enable", "--on", "0", "--off", "10"}), kSuccess)
        << err.str();
    EXPECT_EQ(err.str().find("shodné"), std::string::npos);
    EXPECT_TRUE(requests.contains(u"WriteEEPROM 1040 8 00 00 00 00 84 20 00 00"_s));
}

TEST_F(Relay, refusalsStopBeforeAnythingIsWritten) {
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::string said;
    };
    for (const Case& c : std::vector<Case>{
             {{"relay", "1", "--disable"}, kFailure, "Není zadána mez sepnutí komparátoru 1"},
             {{"relay", "1", "--enable", "--on", "1", "--off", "2", "--delay-off", "256"},
              kFailure,
              "Povolená mez pro zpoždění rozepnutí je 0 až 255 s"},
             {{"relay", "1", "--enable", "--on", "3", "--off", "3"},
              kFailure,
              "Meze sepnutí a rozepnutí komparátoru nesmí být zcela shodné"},
             {{"relay", "5"}, kUsage, "1..4"},
             {{"relay", "1", "--on", "3"}, kUsage, "--enable or --disable"},
             {{"relay", "1", "--enable", "--mode", "okno"}, kUsage, "HYSTEREZE or OKNO"},
         }) {
        requests.clear();
        EXPECT_EQ(runSim(c.args), c.exit) << c.said;
        EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
        EXPECT_TRUE(requests.isEmpty()) << c.said;
    }
}

}  // namespace
}  // namespace veld::cli::test
