// veld-cli output: the analog output range, on the simulated transmitter.

#include "cli_fixture.h"

namespace veld::cli::test {
namespace {

using namespace Qt::Literals::StringLiterals;

using Output = LoggedCliTest;

TEST_F(Output, readPrintsBothEnds) {
    prepare = [](session::Session& s) {
        ASSERT_TRUE(s.simMemory().SetReal(60, -50.0f));
        ASSERT_TRUE(s.simMemory().SetReal(64, 150.0f));
    };
    EXPECT_EQ(runSim({"output"}), kSuccess) << err.str();
    EXPECT_EQ(out.str(), "Počátek: -50\nKonec: 150\n");
    EXPECT_EQ(requests, (QStringList{u"ReadEEPROM 60 4"_s, u"ReadEEPROM 64 4"_s}));
    EXPECT_EQ(runSim({"--json", "output"}), kSuccess);
    EXPECT_EQ(out.str(), "{\"begin\":-50,\"end\":150,\"unit\":\"\"}\n");
}

TEST_F(Output, saveNeedsTheInputConfigurationAsTheWindowDoes) {
    EXPECT_EQ(runSim({"output", "0", "100"}), kFailure);
    EXPECT_NE(err.str().find("Není přečtena konfigurace vstupu."), std::string::npos);
    EXPECT_TRUE(requests.isEmpty());

    EXPECT_EQ(runSim({"--json", "output", "-20.5", "100", "--read"}), kSuccess) << err.str();
    ASSERT_GE(requests.size(), 2);
    EXPECT_EQ(requests.at(requests.size() - 2), u"ReadEEPROM 36 16"_s);
    EXPECT_TRUE(requests.last().startsWith(u"WriteEEPROM 52 16 "_s));
    EXPECT_TRUE(requests.last().endsWith(u" 85 A4 00 00 87 48 00 00"_s));
    EXPECT_EQ(out.str(), "{\"begin\":-20.5,\"end\":100}\n");

    EXPECT_EQ(runSim({"output", "1"}), kUsage);
    EXPECT_EQ(runSim({"output", "--read"}), kUsage);
}

}  // namespace
}  // namespace veld::cli::test
