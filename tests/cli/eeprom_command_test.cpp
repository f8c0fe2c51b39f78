#include "cli/eeprom_command.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <sstream>

#include "sim/device.h"
#include "sim/fault_policy.h"
#include "sim/memory_image.h"
#include "sim/sim_transport.h"

namespace veld::cli {
namespace {

class EepromCommandTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("veld.ini")), QSettings::IniFormat};
    link::VirtualClock clock;
    sim::MemoryImage image;
    sim::Device device{image};
    sim::FaultPolicy faults;
    sim::SimTransport transport{device, faults, clock};
    ScriptedPrompts prompts;
    link::PortChoice choice;
    link::Link link{transport, clock, prompts, choice, settings};
    EepromCommand command{[this](std::ostream&) -> link::Link& { return link; }};
    std::ostringstream out;
    std::ostringstream err;

    void SetUp() override { choice.selectOther(QStringLiteral("simulator"), false); }
    int run(std::vector<std::string> args) { return command.execute(args, out, err); }
};

TEST_F(EepromCommandTest, ReadPrintsSixteenUpperCaseHexPairsPerLine) {
    std::vector<link::Byte> bytes;
    for (int i = 0; i < 20; ++i)
        bytes.push_back(static_cast<link::Byte>(0xE0 + i % 16));
    ASSERT_TRUE(image.Write(1000, bytes));
    EXPECT_EQ(run({"read", "1000", "20"}), kSuccess);
    EXPECT_EQ(out.str(),
              "E0 E1 E2 E3 E4 E5 E6 E7 E8 E9 EA EB EC ED EE EF\n"
              "E0 E1 E2 E3\n");
    EXPECT_EQ(device.Count("ReadEEPROM"), 2u);  // 16 + 4
    EXPECT_TRUE(err.str().empty());
}

TEST_F(EepromCommandTest, WriteGoesOutInRequestsOfAtMostTwentyBytes) {
    std::vector<std::string> args{"write", "0x300"};
    for (int i = 0; i < 45; ++i)
        args.push_back(i % 2 ? "ab" : "0C");
    EXPECT_EQ(run(args), kSuccess);
    EXPECT_EQ(device.Count("WriteEEPROM"), 3u);  // 20 + 20 + 5
    const auto stored = image.Read(0x300, 45);
    ASSERT_TRUE(stored);
    EXPECT_EQ((*stored)[0], 0x0C);
    EXPECT_EQ((*stored)[44], 0x0C);
    EXPECT_EQ((*stored)[43], 0xAB);
    EXPECT_TRUE(out.str().empty());
}

TEST_F(EepromCommandTest, AcceptsSeveralBytesInOneWord) {
    EXPECT_EQ(run({"write", "600", "0DE5", "01,02"}), kSuccess);
    EXPECT_EQ(*image.Read(600, 4), (std::vector<link::Byte>{0x0D, 0xE5, 0x01, 0x02}));
}

TEST_F(EepromCommandTest, FailedTransactionPrintsNothingOnStandardOutput) {
    faults.SetPermanent({sim::Fault::NoReply()});
    EXPECT_EQ(run({"read", "0", "32"}), kFailure);
    EXPECT_TRUE(out.str().empty());
    EXPECT_EQ(prompts.messages, QStringList{link::kMsgNoAnswer});
    EXPECT_EQ(device.RequestsReceived(), 3u);  // the first request's three attempts, no more
}

TEST_F(EepromCommandTest, RefusedReadPrintsNoStaleBytes) {
    EXPECT_EQ(run({"read", "257", "2"}), kSuccess);
    out.str("");
    // The image ends at 2048: the transmitter refuses and sends no payload.
    EXPECT_EQ(run({"read", "2047", "2"}), kFailure);
    EXPECT_TRUE(out.str().empty());
    EXPECT_NE(err.str().find("kód odpovědi 3"), std::string::npos) << err.str();
}

TEST_F(EepromCommandTest, UsageErrorsExitTwoWithOneLine) {
    const std::vector<std::vector<std::string>> bad{
        {},
        {"read"},
        {"read", "10"},
        {"read", "10", "0"},
        {"read", "-1", "4"},
        {"read", "65535", "2"},
        {"read", "abc", "4"},
        {"write", "10"},
        {"write", "10", "0G"},
        {"write", "10", "123"},
        {"erase", "10"},
    };
    for (const auto& args : bad) {
        err.str("");
        EXPECT_EQ(run(args), kUsage) << (args.empty() ? "" : args[0]);
        const std::string text = err.str();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    }
    EXPECT_EQ(device.RequestsReceived(), 0u);
}

}  // namespace
}  // namespace veld::cli
