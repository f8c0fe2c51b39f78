#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <filesystem>

#include "sim/memory_image.h"
#include "support/sim_process.h"
#include "support/wire.h"

namespace veld::sim {
namespace {

using namespace std::chrono_literals;
using testing::Decode;
using testing::RequestWire;

// Reads from fd until a reply has been decoded, or nothing more has come for
// `quiet`.
std::vector<Byte> ReadReply(int fd, std::chrono::milliseconds quiet = 2000ms) {
    std::vector<Byte> got;
    for (;;) {
        if (Decode(got).state.ReplyComplete)
            return got;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(quiet.count())) <= 0)
            return got;
        Byte buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return got;
        got.insert(got.end(), buffer, buffer + n);
    }
}

// veld-sim as a program, on its pseudo-terminal: serves, saves its image on
// SIGTERM, ends by itself when idle, and refuses a bad option before printing a
// path. Its wiring to the program is the e2e tests'.
TEST(VeldSim, savesOnSigterm_endsWhenIdle_refusesABadOption) {
    const auto image = std::filesystem::temp_directory_path() / "veld_sim_process_test.bin";
    std::filesystem::remove(image);
    veld::testing::SimProcess sim({"--image", image.string(), "--save-on-exit", "--no-pacing"});
    const int fd = open(sim.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0) << sim.path();
    const auto request = RequestWire("WriteEEPROM", 512, 2, std::vector<Byte>{'K', 'o'});
    ASSERT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    EXPECT_TRUE(Decode(ReadReply(fd)).Valid());
    close(fd);
    sim.terminate();
    ASSERT_EQ(sim.waitForExit(5000ms), 0);
    MemoryImage saved;
    ASSERT_TRUE(saved.Load(image));
    EXPECT_EQ(*saved.Read(512, 3), (std::vector<Byte>{'K', 'o', ' '}));
    std::filesystem::remove(image);

    veld::testing::SimProcess idle({"--idle-timeout", "1"});
    EXPECT_EQ(idle.waitForExit(10000ms), 0);
    veld::testing::SimProcess bad({"--fault", "explode"});
    EXPECT_TRUE(bad.path().empty());
    EXPECT_EQ(bad.waitForExit(5000ms), 2);
}

}  // namespace
}  // namespace veld::sim
