// veld-cli relay, output and measure on the simulated transmitter: the pages "Relé", "Konf. an.
// výstupu" and "Měření" driven by control names.

#include "cli_fixture.h"

#include "sim/fault_policy.h"

#include <csignal>

namespace veld::cli::test {
namespace {

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

using Relay = LoggedCliTest;

// What the reading commands print of what the transmitter holds: reals, then bytes, from their
// addresses on. The end-to-end tests hold the text of a comparator read and of a note.
TEST_F(Relay, readingCommandsPrintWhatIsHeld) {
    struct Case {
        std::vector<std::pair<std::size_t, float>> reals;
        std::vector<std::pair<std::size_t, std::vector<link::Byte>>> bytes;
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {{{1048, 50}, {1052, 45}},
         {{1073, {2}}, {1081, {3}}},
         {"--json", "relay", "2"},
         "{\"comparator\":2,\"delayOff\":0,\"delayOn\":2,\"enabled\":true,\"mode\":\"OKNO\","
         "\"off\":45,\"on\":50,\"unit\":\"\"}\n"},
        {{{60, -50}, {64, 150}}, {}, {"output"}, "Počátek: -50\nKonec: 150\n"},
        {{{120, 1.04f}}, {}, {"correction"}, "1.0 (1.04)\n"},
        {{{120, 1.04f}},
         {},
         {"--json", "correction"},
         "{\"correction\":1.0399999618530273,\"shown\":\"1.0\"}\n"},
        {{}, {{512, {'-', 'x', ' '}}}, {"--json", "note"}, "{\"note\":\"-x\"}\n"},
        // Control characters reach no terminal as they are.
        {{}, {{512, {0x1B, ']', 9, 0x7F, 0x81, 'x'}}}, {"note"}, "\\x1B]\\x09\\x7F\\x81x\n"},
        {{},
         {},
         {"--json", "eeprom", "read", "257", "2"},
         "{\"address\":257,\"bytes\":[13,229]}\n"},
    };
    for (const Case& c : cases) {
        prepare = [&c](session::Session& s) {
            for (const auto& [address, value] : c.reals)
                ASSERT_TRUE(s.simMemory().SetReal(address, value));
            for (const auto& [address, bytes] : c.bytes)
                ASSERT_TRUE(s.simMemory().Write(address, bytes));
        };
        EXPECT_EQ(runSim(c.args), kSuccess) << c.args[1] << err.str();
        EXPECT_EQ(out.str(), c.out);
    }
    EXPECT_EQ(runSim({"note", "--", "-minus"}), kSuccess);
}

// The comparator scenario holds the save itself; here what the options add to it.
TEST_F(Relay, aZeroLimitIsAValueAndSwitchingOffReadsTheValuesFirst) {
    // A zero limit typed before the other is no equal pair.
    EXPECT_EQ(runSim({"--yes", "relay", "1", "--enable", "--on", "0", "--off", "10"}), kSuccess)
        << err.str();
    EXPECT_FALSE(said("shodné"));
    EXPECT_TRUE(requests.contains(u"WriteEEPROM 1040 8 00 00 00 00 84 20 00 00"_s));

    // Switching off without values reads them first, as a technician presses "Přečíst".
    EXPECT_EQ(runSim({"--yes", "relay", "2", "--disable"}), kSuccess) << err.str();
    EXPECT_EQ(requests, (QStringList{u"ReadEEPROM 1048 4"_s, u"ReadEEPROM 1052 4"_s,
                                     u"ReadEEPROM 1073 8"_s, u"ReadEEPROM 1081 1"_s,
                                     u"ReadEEPROM 1081 1"_s, u"WriteEEPROM 1081 1 20"_s}));
}

using Output = LoggedCliTest;

TEST_F(Output, saveAfterTheReadTheWindowNeeds) {
    EXPECT_EQ(runSim({"--json", "output", "-20.5", "100", "--read"}), kSuccess) << err.str();
    ASSERT_GE(requests.size(), 2);
    EXPECT_EQ(requests.at(requests.size() - 2), u"ReadEEPROM 36 16"_s);
    EXPECT_TRUE(requests.last().startsWith(u"WriteEEPROM 52 16 "_s));
    EXPECT_TRUE(requests.last().endsWith(u" 85 A4 00 00 87 48 00 00"_s));
    EXPECT_EQ(out.str(), "{\"begin\":-20.5,\"end\":100}\n");
    EXPECT_EQ(opens, static_cast<std::size_t>(requests.size()));

    // --fast: the same requests over one opening of the port for the whole command, its read and
    // its save. The fault matrix holds the bytes of fast transfers, the link test the settle.
    const QStringList plain = requests;
    EXPECT_EQ(runSim({"--fast", "--json", "output", "-20.5", "100", "--read"}), kSuccess);
    EXPECT_EQ(requests, plain);
    EXPECT_EQ(opens, 1u);
}

class Measure : public CliTest {
protected:
    Measure() {
        inspect = [this](session::Session& s) {
            starts.clear();
            for (const sim::Request& r : s.simDevice().Log())
                if (link::CommandName(r.command) == u"ReadPV"_s)
                    starts.push_back(r.firstByteAt);
        };
    }
    std::vector<link::Micros> starts;  // when each "ReadPV" reached the transmitter
};

TEST_F(Measure, readsFirstThenMeasuresTheGivenTimesApart) {
    EXPECT_EQ(runSim({"measure", "--count", "3", "--interval", "2"}), kSuccess) << err.str();
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(starts[2] - starts[1], 2s);
    EXPECT_EQ(starts[1] - starts[0], 2s);
    EXPECT_EQ(out.str(), "50.000\n50.000\n50.000\n");  // the middle of the simulator's range

    EXPECT_EQ(runSim({"--json", "measure"}), kSuccess);
    EXPECT_EQ(out.str(),
              "{\"reply\":[255,255,134,58,189,239,177,52,1,7,0,0,32,66,72,0,0,71],"
              "\"request\":[255,255,255,130,58,189,239,177,52,1,0,110],\"text\":\"50.000\","
              "\"unit\":\"°C\",\"value\":50}\n");

    // A signal during the first measurement: no wait for the next, no further request.
    prepare = [this](session::Session& s) {
        s.simFaults().onAnswer = [this, n = 0]() mutable { raised = ++n == 11 ? SIGTERM : raised; };
    };
    const link::Micros before = clock.now();
    EXPECT_EQ(runSim({"measure", "--count", "3", "--interval", "60"}), 143);
    EXPECT_EQ(starts.size(), 1u);
    EXPECT_LT(clock.now() - before, 60s);
}

TEST_F(Measure, failedMeasurementIsAnEmptyLineAndTheOthersGoOn) {
    std::size_t readRequests = 0;  // of the whole read before the first measurement
    inspect = [&](session::Session& s) {
        const auto& log = s.simDevice().Log();
        while (readRequests < log.size() &&
               link::CommandName(log[readRequests].command) != u"ReadPV"_s)
            ++readRequests;
    };
    ASSERT_EQ(runSim({"measure"}), kSuccess);

    prepare = [&](session::Session& s) {
        s.simDevice().SetProcessValue(-7.25f);
        s.simFaults().QueueClean(readRequests);
        s.simFaults().Queue(sim::Fault::NoReply(), 3);
    };
    EXPECT_EQ(runSim({"--json", "measure", "--count", "2", "--interval", "0"}), kFailure);
    EXPECT_TRUE(said("No answer from transmitter !"));
    const std::string lines = out.str();
    const auto second = lines.find('\n') + 1;
    EXPECT_EQ(lines.substr(0, second),
              "{\"reply\":null,\"request\":[255,255,255,130,58,189,239,177,52,1,0,110],"
              "\"text\":\"\",\"unit\":\"°C\",\"value\":null}\n");
    EXPECT_NE(lines.find("\"text\":\"-7.250\"", second), std::string::npos);
}

}  // namespace
}  // namespace veld::cli::test
