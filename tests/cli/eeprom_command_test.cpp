#include "cli_fixture.h"

#include "sim/fault_policy.h"

namespace veld::cli::test {
namespace {

using Eeprom = CliTest;

// The end-to-end tests hold the text of a read and write; here the request sizes.
TEST_F(Eeprom, writesOfAtMostTwentyBytes) {
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

}  // namespace
}  // namespace veld::cli::test
