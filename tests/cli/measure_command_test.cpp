// veld-cli measure: the whole read, then measurements paced like the window's timer.

#include "cli_fixture.h"

#include "sim/fault_policy.h"

namespace veld::cli::test {
namespace {

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

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
    EXPECT_NE(err.str().find("No answer from transmitter !"), std::string::npos);
    const std::string lines = out.str();
    const auto second = lines.find('\n') + 1;
    EXPECT_EQ(lines.substr(0, second),
              "{\"reply\":null,\"request\":[255,255,255,130,58,189,239,177,52,1,0,110],"
              "\"text\":\"\",\"unit\":\"°C\",\"value\":null}\n");
    EXPECT_NE(lines.find("\"text\":\"-7.250\"", second), std::string::npos);

    EXPECT_EQ(runSim({"measure", "--count", "0"}), kUsage);
    EXPECT_EQ(runSim({"measure", "--interval", "1,5"}), kUsage);
}

}  // namespace
}  // namespace veld::cli::test
