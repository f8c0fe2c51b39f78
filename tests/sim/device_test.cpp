#include <gtest/gtest.h>

#include "link/dev_float.h"
#include "sim/device.h"
#include "support/wire.h"

namespace veld::sim {
namespace {

using testing::Decode;
using testing::MakeRequest;

class DeviceTest : public ::testing::Test {
protected:
    MemoryImage memory;
    Device device{memory};

    testing::Decoded Send(std::string_view command, std::uint32_t address = 0,
                          std::uint8_t count = 0, std::span<const Byte> data = {}) {
        return Decode(device.Handle(MakeRequest(command, address, count, data)));
    }
};

TEST_F(DeviceTest, memoryBeyondTheImage_isRefusedWithCode3AndNothingWritten) {
    // clang-format off
    struct Case { const char* command; std::uint32_t address; std::uint8_t count; Byte code; };
    const Case cases[] = {{"ReadEEPROM", 2040, 8, 0},   {"ReadEEPROM", 2041, 8, 3},
                          {"ReadEEPROM", 0xFFFF, 1, 3}, {"WriteEEPROM", 2044, 4, 0},
                          {"WriteEEPROM", 2045, 4, 3},  {"WriteEEPROM", 0xFFF0, 20, 3},
                          {"ReadEEPROM2", 0x010000, 4, 3}};
    // clang-format on
    const std::vector<Byte> bytes(20, 0xAB);
    for (const auto& c : cases) {
        const std::vector<Byte> before(memory.Bytes().begin(), memory.Bytes().end());
        const auto d = Send(c.command, c.address, c.count, bytes);
        ASSERT_TRUE(d.Valid()) << c.command << " " << c.address;
        EXPECT_EQ(d.ResponseCode(), c.code) << c.command << " " << c.address;
        if (c.code != 0) {
            EXPECT_EQ(d.state.RxFrame[9], 2) << "no payload with a refusal";
            EXPECT_EQ(std::vector<Byte>(memory.Bytes().begin(), memory.Bytes().end()), before);
        }
    }
}

TEST_F(DeviceTest, writeWithFewerBytesThanItsCount_isRefusedWithCode5) {
    Request r{.command = 0x72, .data = {0x00, 0x78, 0x04, 0x01, 0x02}};  // count 4, two bytes
    EXPECT_EQ(Decode(device.Handle(r)).ResponseCode(), kResponseTooFewDataBytes);
    EXPECT_EQ(*memory.RealAt(120), 0.0f);
    r.data = {0x00};  // not even address and count
    EXPECT_EQ(Decode(device.Handle(r)).ResponseCode(), kResponseTooFewDataBytes);
}

TEST_F(DeviceTest, readPv_unitAndValueFollowTheStoredRange) {
    memory.SetReal(model::eeprom::kRangeBegin.address, 200.0f);
    memory.SetReal(model::eeprom::kRangeEnd.address, 400.0f);
    memory.Write(model::eeprom::kUnitCode.address, std::vector<Byte>{58});
    const auto d = Send("ReadPV");
    EXPECT_EQ(d.Payload(0), 58);
    EXPECT_EQ(link::DecodePvFloat({d.Payload(1), d.Payload(2), d.Payload(3), d.Payload(4)}),
              300.0f);
}

// Stop, Reset and Continue are answered in every whole write of the scenarios.
TEST_F(DeviceTest, unservedCommandsAnswerCode64) {
    EXPECT_EQ(Send("ReadRAM", 0x10, 2).ResponseCode(), kResponseNotImplemented);
    const auto d = Decode(device.Handle(Request{.command = 0x55, .data = {}}));
    ASSERT_TRUE(d.Valid());
    EXPECT_EQ(d.command, 0x55);
    EXPECT_EQ(d.ResponseCode(), kResponseNotImplemented);
}

}  // namespace
}  // namespace veld::sim
