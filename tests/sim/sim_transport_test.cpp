#include <gtest/gtest.h>

#include <functional>

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

// A ReadEEPROM of 2 is 18 bytes on the line and its reply 15; a ReadPV 15 and its reply 18.
// 18 characters take 13.750 ms, 15 characters 11.458 ms (rounded up to 11.459).
TEST_F(SimTransportTest, repliesArriveWhenTheLineHasCarriedThem) {
    using link::Micros;
    const Micros readRequest = TransmissionTime(18), readReply = TransmissionTime(15);
    ASSERT_EQ(readRequest + readReply, 13750us + 11459us);
    // clang-format off
    struct Case { std::function<void()> setUp; std::vector<std::vector<Byte>> requests;
                  std::vector<Micros> arrivals; };
    // clang-format on
    const auto read = RequestWire("ReadEEPROM", 257, 2);
    const auto pv = RequestWire("ReadPV");
    const Case cases[] = {
        {[] {}, {read}, {readRequest + readReply}},
        // Unpaced: on the next pass, never from inside write.
        {[this] { transport.SetPacing(false); }, {pv}, {0us}},
        {[this] { faults.Queue(Fault::Delay(300ms)); }, {pv}, {readReply + 300ms + readRequest}},
        // Back to back: the second reply waits for the first.
        {[] {}, {pv, pv}, {readReply + readRequest, readReply + 2 * readRequest}},
        // In chunks of 8, each when it has crossed the line.
        {[this] { transport.SetDeliveryChunk(8); },
         {read},
         {readRequest + TransmissionTime(8), readRequest + readReply}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        transport.SetPacing(true);
        transport.SetDeliveryChunk(0);
        received.clear();
        arrivals.clear();
        const Micros start = clock.now();
        c.setUp();
        for (const auto& request : c.requests)
            EXPECT_EQ(Send(request), static_cast<std::int64_t>(request.size()));
        EXPECT_TRUE(received.empty());
        clock.advance(2s);
        std::vector<Micros> relative;
        for (Micros at : arrivals)
            relative.push_back(at - start);
        EXPECT_EQ(relative, c.arrivals);
        EXPECT_TRUE(Decode(received).Valid());
    }
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

TEST_F(SimTransportTest, closingBeforeTheReply_losesIt_aClosedPortTakesNothing) {
    Send(RequestWire("ReadPV"));
    transport.close();
    EXPECT_EQ(transport.write(RequestWire("ReadPV")), 0);
    ASSERT_TRUE(transport.open("simulator"));
    clock.advance(1s);
    EXPECT_TRUE(received.empty());
}

TEST_F(SimTransportTest, destroyedBeforeItsReply_clockRunsSafely) {
    {
        SimTransport other(device, faults, clock);
        other.onReceive = [](std::span<const std::uint8_t>) { FAIL() << "delivered"; };
        ASSERT_TRUE(other.open("simulator"));
        other.write(RequestWire("ReadPV"));
    }
    EXPECT_EQ(clock.pendingEvents(), 1u);
    clock.advance(1s);
    EXPECT_EQ(clock.pendingEvents(), 0u);
}

}  // namespace
}  // namespace veld::sim
