#include <gtest/gtest.h>

#include "sim/line_timing.h"
#include "sim/sim_transport.h"
#include "support/wire.h"

namespace veld::sim {
namespace {

using namespace std::chrono_literals;
using testing::Decode;
using testing::RequestWire;

class SimTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        transport.onReceive = [this](std::span<const std::uint8_t> bytes) {
            received.insert(received.end(), bytes.begin(), bytes.end());
            arrivals.push_back(clock.now());
        };
        transport.onLost = [this] { ++lost; };
        ASSERT_TRUE(transport.open("simulator"));
    }
    std::int64_t Send(const std::vector<Byte>& wire) { return transport.write(wire); }

    link::VirtualClock clock;
    MemoryImage memory;
    Device device{memory};
    FaultPolicy faults;
    SimTransport transport{device, faults, clock};
    std::vector<Byte> received;
    std::vector<link::Micros> arrivals;
    int lost = 0;
};

TEST_F(SimTransportTest, pacedReply_arrivesWhenRequestAndReplyHaveCrossedTheLine) {
    const auto wire = RequestWire("ReadEEPROM", 257, 2);  // 18 bytes; the reply has 15
    ASSERT_EQ(Send(wire), 18);
    // 18 characters: 13.750 ms; 15 characters: 11.458 ms, rounded up.
    const link::Micros due = TransmissionTime(18) + TransmissionTime(15);
    EXPECT_EQ(due, 13750us + 11459us);
    clock.advance(due - 1us);
    EXPECT_TRUE(received.empty());
    clock.advance(1us);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0], due);
    EXPECT_TRUE(Decode(received).Valid());
}

TEST_F(SimTransportTest, withoutPacing_replyComesOnTheNextPass) {
    transport.SetPacing(false);
    Send(RequestWire("ReadPV"));
    EXPECT_TRUE(received.empty()) << "never from inside write";
    clock.advance(0us);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0], 0us);
}

TEST_F(SimTransportTest, noReplyToTheFirstAttempt_answerTheRetry) {
    faults.Queue(Fault::NoReply());
    const auto wire = RequestWire("ReadEEPROM", 262, 2);
    Send(wire);
    clock.advance(1200ms);
    EXPECT_TRUE(received.empty());
    Send(wire);
    clock.advance(1000ms);
    EXPECT_TRUE(Decode(received).Valid());
    EXPECT_EQ(device.RequestsReceived(), 2u);
    EXPECT_EQ(device.Count("ReadEEPROM"), 2u);
}

TEST_F(SimTransportTest, delayFault_postponesTheReply) {
    faults.Queue(Fault::Delay(300ms));
    Send(RequestWire("ReadPV"));  // 15 bytes; the reply 18
    clock.advance(2s);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0], TransmissionTime(15) + 300ms + TransmissionTime(18));
}

TEST_F(SimTransportTest, backToBackRequests_repliesDoNotOverlapOnTheLine) {
    const auto wire = RequestWire("ReadPV");
    Send(wire);
    Send(wire);  // arrives at the same instant: its reply waits for the first
    clock.advance(1s);
    ASSERT_EQ(arrivals.size(), 2u);
    EXPECT_EQ(arrivals[1] - arrivals[0], TransmissionTime(18));
}

TEST_F(SimTransportTest, deliveryInChunks_eachWhenItHasCrossedTheLine) {
    transport.SetDeliveryChunk(4);
    Send(RequestWire("ReadEEPROM", 257, 2));
    clock.advance(1s);
    ASSERT_EQ(arrivals.size(), 4u);  // 15 bytes: 4 + 4 + 4 + 3
    EXPECT_EQ(arrivals[0], TransmissionTime(18) + TransmissionTime(4));
    EXPECT_EQ(arrivals[3], TransmissionTime(18) + TransmissionTime(15));
    EXPECT_TRUE(Decode(received).Valid());
}

// The copy is the line's doing: it reaches whoever has the port open when it arrives, even after
// the port has been closed and opened again since the request.
TEST_F(SimTransportTest, repeatedReply_arrivesAgainAfterTheGap_alsoInALaterSession) {
    faults.Queue(Fault::Repeated(20ms));
    Send(RequestWire("ReadPV"));  // 15 bytes; the reply 18
    const link::Micros first = TransmissionTime(15) + TransmissionTime(18);
    clock.advance(first);
    ASSERT_EQ(arrivals.size(), 1u);
    transport.close();
    ASSERT_TRUE(transport.open("simulator"));
    clock.advance(1s);
    ASSERT_EQ(arrivals.size(), 2u);
    EXPECT_EQ(arrivals[1], first + 20ms + TransmissionTime(18));
    EXPECT_EQ(received.size(), 36u);

    // A closed port loses the copy as it would any byte.
    faults.Queue(Fault::Repeated(20ms));
    Send(RequestWire("ReadPV"));
    clock.advance(first);
    transport.close();
    clock.advance(1s);
    EXPECT_EQ(arrivals.size(), 3u);
}

// Purging drops what has arrived but not been handed on; what is still on the line, and the
// reply to a request written after the purge, arrive.
TEST_F(SimTransportTest, clearInput_dropsOnlyWhatHadArrived) {
    transport.SetPacing(false);
    Send(RequestWire("ReadPV"));  // due now, not yet handed on
    transport.clearInput();
    Send(RequestWire("ReadPV"));  // written after the purge: due now as well
    clock.advance(0us);
    EXPECT_EQ(arrivals.size(), 1u);

    transport.SetPacing(true);
    Send(RequestWire("ReadPV"));  // still on the line at the purge
    transport.clearInput();
    clock.advance(1s);
    EXPECT_EQ(arrivals.size(), 2u);
    EXPECT_TRUE(Decode(std::span<const Byte>(received).subspan(18)).Valid());
}

TEST_F(SimTransportTest, damagedRequest_getsNoReplyAndTakesNoFault) {
    faults.Queue(Fault::BadChecksum());
    auto wire = RequestWire("ReadPV");
    wire[wire.size() - 1] ^= 0x01;
    Send(wire);
    clock.advance(1s);
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(transport.Assembler().Stats().badCrc, 1u);
    EXPECT_EQ(device.RequestsReceived(), 0u);
    EXPECT_EQ(faults.Queued(), 1u);
}

TEST_F(SimTransportTest, closingBeforeTheReply_losesIt) {
    Send(RequestWire("ReadPV"));
    transport.close();
    ASSERT_TRUE(transport.open("simulator"));
    clock.advance(1s);
    EXPECT_TRUE(received.empty());
}

TEST_F(SimTransportTest, portStateAndOpenFailures) {
    EXPECT_TRUE(transport.Dtr());
    transport.setRts(true);
    EXPECT_TRUE(transport.Rts());
    transport.close();
    EXPECT_FALSE(transport.isOpen());
    EXPECT_FALSE(transport.Dtr());
    EXPECT_EQ(transport.write(RequestWire("ReadPV")), 0);
    EXPECT_FALSE(transport.open("COM1"));
    transport.SetOpenFails(true);
    EXPECT_FALSE(transport.open("simulator"));
    transport.SetOpenFails(false);
    EXPECT_TRUE(transport.open("simulator"));
    EXPECT_EQ(transport.OpenCount(), 2u);
}

TEST_F(SimTransportTest, vanishedPort_reportsLostAndAcceptsNothing) {
    Send(RequestWire("ReadPV"));
    transport.Vanish();
    EXPECT_EQ(lost, 0) << "reported from the event loop";
    clock.advance(1s);
    EXPECT_EQ(lost, 1);
    EXPECT_TRUE(received.empty()) << "the pending reply is lost with the port";
    EXPECT_EQ(transport.write(RequestWire("ReadPV")), 0);
    transport.close();
    EXPECT_FALSE(transport.open("simulator"));
    transport.Reappear();
    EXPECT_TRUE(transport.open("simulator"));
}

TEST(SimTransportLifetime, destroyedBeforeItsReply_clockRunsSafely) {
    link::VirtualClock clock;
    MemoryImage memory;
    Device device(memory);
    FaultPolicy faults;
    {
        SimTransport transport(device, faults, clock);
        transport.onReceive = [](std::span<const std::uint8_t>) {
            FAIL() << "delivered after destruction";
        };
        ASSERT_TRUE(transport.open("simulator"));
        transport.write(RequestWire("ReadPV"));
    }
    EXPECT_EQ(clock.pendingEvents(), 1u);
    clock.advance(1s);
    EXPECT_EQ(clock.pendingEvents(), 0u);
}

}  // namespace
}  // namespace veld::sim
