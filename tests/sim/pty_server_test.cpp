#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "sim/line_timing.h"
#include "sim/pty_server.h"
#include "support/sim_process.h"
#include "support/wire.h"

namespace veld::sim {
namespace {

using namespace std::chrono_literals;
using testing::Decode;
using testing::RequestWire;

// Reads from fd until a reply has been decoded, or nothing more has come for `quiet`.
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

bool WriteAll(int fd, const std::vector<Byte>& bytes) {
    return write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

class PtyServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(pipe(stop_), 0);
        ASSERT_EQ(server.Open(), "");
        thread_ = std::thread([this] { reason_ = server.Run(stop_[0]); });
    }
    void TearDown() override {
        if (thread_.joinable())
            StopServer();
        close(stop_[0]);
        close(stop_[1]);
    }
    void StopServer() {
        const Byte one = 1;
        ASSERT_EQ(write(stop_[1], &one, 1), 1);
        thread_.join();
    }

    MemoryImage memory;
    Device device{memory};
    FaultPolicy faults;
    PtyServer server{device, faults, PtyOptions{}};
    int stop_[2] = {-1, -1};
    std::thread thread_;
    PtyServer::EndReason reason_ = PtyServer::EndReason::Error;
};

TEST_F(PtyServerTest, answersOnTheSlavePath_notBeforeTheLineCouldCarryIt_nothingToBadRequests) {
    faults.QueueClean(2);
    faults.Queue(Fault::NoReply());
    const auto wire = RequestWire("ReadEEPROM", 257, 2);
    auto damaged = wire;
    damaged[11] ^= 0x01;
    // Two client sessions in a row, as the program opens and closes the port per transaction.
    for (int session = 0; session < 2; ++session) {
        const int fd = open(server.SlavePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0) << server.SlavePath();
        ASSERT_TRUE(session == 1 || WriteAll(fd, damaged));
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(WriteAll(fd, wire));
        const auto reply = ReadReply(fd);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        const auto d = Decode(reply);
        ASSERT_TRUE(d.Valid()) << "session " << session;
        EXPECT_EQ(d.Payload(0), 0x0D);
        EXPECT_EQ(d.Payload(1), 0xE5);
        // A lower bound only: the request and the reply each take their line time.
        EXPECT_GE(elapsed, TransmissionTime(wire.size()) + TransmissionTime(reply.size()));
        ASSERT_TRUE(session == 0 || WriteAll(fd, RequestWire("ReadPV")));
        EXPECT_TRUE(session == 0 || ReadReply(fd, 300ms).empty());
        close(fd);
    }
    StopServer();
    EXPECT_EQ(reason_, PtyServer::EndReason::StopRequested);
    EXPECT_EQ(device.RequestsReceived(), 3u);
    EXPECT_EQ(server.Assembler().Stats().badChecksum, 1u);
}

// veld-sim as a program: path first, serves, saves its image and ends on SIGTERM.
TEST(VeldSim, printsPathServesAndSavesOnSigterm) {
    const auto image = std::filesystem::temp_directory_path() / "veld_sim_process_test.bin";
    std::filesystem::remove(image);
    veld::testing::SimProcess sim({"--image", image.string(), "--save-on-exit", "--no-pacing"});
    ASSERT_EQ(sim.path().rfind("/dev/", 0), 0u) << sim.path();
    const int fd = open(sim.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0) << sim.path();
    const std::vector<Byte> note{'K', 'o', 't', 'e', 'l'};
    ASSERT_TRUE(WriteAll(fd, RequestWire("WriteEEPROM", 512, 5, note)));
    EXPECT_TRUE(Decode(ReadReply(fd)).Valid());
    close(fd);
    sim.terminate();
    ASSERT_EQ(sim.waitForExit(5000ms), 0);
    MemoryImage saved;
    ASSERT_TRUE(saved.Load(image));
    EXPECT_EQ(*saved.Read(512, 6), (std::vector<Byte>{'K', 'o', 't', 'e', 'l', ' '}));
    std::filesystem::remove(image);
}

TEST(VeldSim, endsByItselfWhenIdle_refusesABadOption) {
    veld::testing::SimProcess idle({"--idle-timeout", "1"});
    ASSERT_FALSE(idle.path().empty());
    EXPECT_EQ(idle.waitForExit(10000ms), 0);

    veld::testing::SimProcess bad({"--fault", "explode"});
    EXPECT_TRUE(bad.path().empty());
    EXPECT_EQ(bad.waitForExit(5000ms), 2);
}

}  // namespace
}  // namespace veld::sim
