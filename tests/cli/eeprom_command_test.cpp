#include "cli_fixture.h"

#include "sim/fault_policy.h"

namespace veld::cli::test {
namespace {

using Eeprom = CliTest;

TEST_F(Eeprom, readPrintsSixteenUpperCaseHexPairsPerLine) {
    prepare = [](session::Session& s) {
        std::vector<link::Byte> bytes;
        for (int i = 0; i < 20; ++i)
            bytes.push_back(static_cast<link::Byte>(0xE0 + i % 16));
        ASSERT_TRUE(s.simMemory().Write(1000, bytes));
    };
    std::size_t reads = 0;
    inspect = [&](session::Session& s) { reads = s.simDevice().Count("ReadEEPROM"); };
    EXPECT_EQ(runSim({"eeprom", "read", "1000", "20"}), kSuccess) << err.str();
    EXPECT_EQ(out.str(),
              "E0 E1 E2 E3 E4 E5 E6 E7 E8 E9 EA EB EC ED EE EF\n"
              "E0 E1 E2 E3\n");
    EXPECT_EQ(reads, 2u);  // 16 + 4
    EXPECT_TRUE(err.str().empty());

    EXPECT_EQ(runSim({"--json", "eeprom", "read", "257", "2"}), kSuccess);
    EXPECT_EQ(out.str(), "{\"address\":257,\"bytes\":[13,229]}\n");
}

TEST_F(Eeprom, writeGoesOutInRequestsOfAtMostTwentyBytes) {
    std::vector<std::string> args{"eeprom", "write", "0x300", "0DE5", "01,02"};
    for (int i = 0; i < 41; ++i)
        args.push_back(i % 2 ? "ab" : "0C");
    std::optional<std::vector<link::Byte>> stored;
    std::size_t writes = 0;
    inspect = [&](session::Session& s) {
        stored = s.simMemory().Read(0x300, 45);
        writes = s.simDevice().Count("WriteEEPROM");
    };
    EXPECT_EQ(runSim(args), kSuccess) << err.str();
    EXPECT_EQ(writes, 3u);  // 20 + 20 + 5
    ASSERT_TRUE(stored);
    EXPECT_EQ((std::vector<link::Byte>(stored->begin(), stored->begin() + 6)),
              (std::vector<link::Byte>{0x0D, 0xE5, 0x01, 0x02, 0x0C, 0xAB}));
    EXPECT_EQ((*stored)[44], 0x0C);
    EXPECT_TRUE(out.str().empty());
}

// Nothing the transmitter did not confirm is reported as done, and standard output stays empty.
TEST_F(Eeprom, whatTheTransmitterDidNotConfirmFailsAndSaysWhy) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::optional<sim::Fault> fault;
        std::string said;  // on standard error
    };
    const std::vector<Case> cases{
        {"no answer", {"read", "0", "32"}, sim::Fault::NoReply(), "No answer from transmitter !"},
        {"bad checksum", {"read", "0", "4"}, sim::Fault::BadChecksum(), "kontrolní součet"},
        {"read past the end", {"read", "2047", "2"}, std::nullopt, "kódem 3"},
        {"write past the end", {"write", "2047", "0102"}, std::nullopt, "kódem 3"},
    };
    for (const Case& c : cases) {
        prepare = [&](session::Session& s) {
            if (c.fault)
                s.simFaults().SetPermanent({*c.fault});
        };
        std::vector<std::string> args{"eeprom"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(runSim(args), kFailure) << c.name;
        EXPECT_TRUE(out.str().empty()) << c.name;
        EXPECT_TRUE(said(c.said)) << c.name << ": " << err.str();
    }
}

TEST_F(Eeprom, usageErrorsExitTwoWithOneLineAndSendNothing) {
    // clang-format off
    const std::vector<std::vector<std::string>> bad{
        {}, {"read"}, {"read", "10"}, {"read", "10", "0"}, {"read", "-1", "4"},
        {"read", "65535", "2"}, {"read", "abc", "4"}, {"write", "10"}, {"write", "10", "0G"},
        {"write", "10", "123"}, {"erase", "10"}};
    // clang-format on
    std::size_t requests = 0;
    inspect = [&](session::Session& s) { requests += s.simDevice().RequestsReceived(); };
    for (auto args : bad) {
        args.insert(args.begin(), "eeprom");
        EXPECT_EQ(runSim(args), kUsage) << (args.size() > 1 ? args[1] : "");
        const std::string text = err.str();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    }
    EXPECT_EQ(requests, 0u);
}

}  // namespace
}  // namespace veld::cli::test
