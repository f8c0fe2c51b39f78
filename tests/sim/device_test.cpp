#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "link/dev_float.h"
#include "sim/device.h"
#include "sim/process_value.h"
#include "support/wire.h"

namespace veld::sim {
namespace {

using testing::Decode;
using testing::MakeRequest;
using namespace std::chrono_literals;

class DeviceTest : public ::testing::Test {
protected:
    MemoryImage memory;
    Device device{memory};

    testing::Decoded Send(std::string_view command, std::uint32_t address = 0,
                          std::uint8_t count = 0, std::span<const Byte> data = {}) {
        return Decode(device.Handle(MakeRequest(command, address, count, data)));
    }
};

TEST_F(DeviceTest, readEeprom_answersMemoryInTheDocumentedFrame) {
    // Preamble, delimiter, address, command, byte count, codes, payload, checksum.
    EXPECT_EQ(device.Handle(MakeRequest("ReadEEPROM", 257, 2)),
              (std::vector<Byte>{0xFF, 0xFF, 0x86, 0x3A, 0xBD, 0xEF, 0xB1, 0x34, 0x71, 0x04, 0x00,
                                 0x00, 0x0D, 0xE5, 0xF6}));
}

TEST_F(DeviceTest, memoryBeyondTheImage_isRefusedWithCode3AndNothingWritten) {
    struct Case {
        const char* command;
        std::uint32_t address;
        std::uint8_t count;
        Byte code;
    };
    const std::vector<Byte> bytes(20, 0xAB);
    for (const Case c : {Case{"ReadEEPROM", 2040, 8, 0}, Case{"ReadEEPROM", 2041, 8, 3},
                         Case{"ReadEEPROM", 0xFFFF, 1, 3}, Case{"WriteEEPROM", 2044, 4, 0},
                         Case{"WriteEEPROM", 2045, 4, 3}, Case{"WriteEEPROM", 0xFFF0, 20, 3},
                         Case{"ReadEEPROM2", 0x010000, 4, 3}}) {
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
    Request r;
    r.command = 0x72;
    r.data = {0x00, 0x78, 0x04, 0x01, 0x02};  // count 4, two bytes
    const auto d = Decode(device.Handle(r));
    EXPECT_EQ(d.ResponseCode(), kResponseTooFewDataBytes);
    EXPECT_EQ(*memory.RealAt(120), 0.0f);
    r.data = {0x00};  // not even address and count
    EXPECT_EQ(Decode(device.Handle(r)).ResponseCode(), kResponseTooFewDataBytes);
}

TEST_F(DeviceTest, readPv_unitAndValueFollowTheStoredRange) {
    memory.SetReal(model::eeprom::kRangeBegin.address, 200.0f);
    memory.SetReal(model::eeprom::kRangeEnd.address, 400.0f);
    memory.Write(model::eeprom::kUnitCode.address, std::vector<Byte>{58});
    auto d = Send("ReadPV");
    EXPECT_EQ(d.Payload(0), 58);
    EXPECT_EQ(link::DecodePvFloat({d.Payload(1), d.Payload(2), d.Payload(3), d.Payload(4)}),
              300.0f);

    device.SetProcessValue(100.0f);  // the documented example: 42 C8 00 00
    d = Send("ReadPV");
    EXPECT_EQ(std::vector<Byte>(d.state.RxData.begin() + 3, d.state.RxData.begin() + 7),
              (std::vector<Byte>{0x42, 0xC8, 0x00, 0x00}));
}

TEST_F(DeviceTest, calibration_storesRangeEndsOnlyOnSuccess) {
    struct Case {
        const char* command;
        Byte result;
        bool stored;
    };
    for (const Case c :
         {Case{"NastOfs", 0, true}, Case{"NastFS", 0, true}, Case{"NastOfs", 1, true},
          Case{"NastFS", 255, true}, Case{"NastOfs", 6, false}, Case{"NastFS", 9, false},
          Case{"NastOfs", 10, false}, Case{"NastFS", 14, false}}) {
        memory.FactoryReset();
        device.SetCalibrationResult(c.result);
        device.SetProcessValue(12.5f);
        const auto d = Send(c.command);
        ASSERT_TRUE(d.Valid());
        EXPECT_EQ(d.ResponseCode(), 0);
        EXPECT_EQ(d.Payload(0), c.result);
        const bool lower = std::string_view(c.command) == "NastOfs";
        const float lo = *memory.RealAt(model::eeprom::kOutputRangeLo.address),
                    hi = *memory.RealAt(model::eeprom::kOutputRangeHi.address);
        EXPECT_EQ(lower ? lo : hi, c.stored ? 12.5f : (lower ? 0.0f : 100.0f))
            << c.command << " " << int(c.result);
        EXPECT_EQ(lower ? hi : lo, lower ? 100.0f : 0.0f) << "the other end stays";
    }
}

TEST_F(DeviceTest, stopContinueReset_changeState_unservedCommandsAnswerCode64) {
    EXPECT_TRUE(Send("Stop").Valid());
    EXPECT_FALSE(device.Measuring());
    EXPECT_TRUE(Send("Reset").Valid());
    EXPECT_EQ(device.Resets(), 1u);
    EXPECT_TRUE(Send("Continue").Valid());
    EXPECT_TRUE(device.Measuring());

    EXPECT_EQ(Send("ReadRAM", 0x10, 2).ResponseCode(), kResponseNotImplemented);
    Request unknown;
    unknown.command = 0x55;
    const auto d = Decode(device.Handle(unknown));
    ASSERT_TRUE(d.Valid());
    EXPECT_EQ(d.command, 0x55);
    EXPECT_EQ(d.ResponseCode(), kResponseNotImplemented);
}

// A day of ticks of 1.5 s, each a little late by an amount that is not a round number.
link::Micros Moment(int i) {
    return link::Micros(1'500'000LL * i + (i * 7919LL) % 100'000);
}

TEST(ProcessWaveTest, staysInsideTheRangeAndUsesMostOfIt_orGivesItsBegin) {
    struct Case {
        float lo, hi;
    };
    const ProcessWave wave;
    for (const Case c : {Case{0.0f, 100.0f}, Case{-200.0f, 850.0f}, Case{100.0f, 0.0f},
                         Case{4.0f, 4.000001f}, Case{-3.0e38f, 3.0e38f}, Case{25.0f, 25.0f}}) {
        const float low = std::min(c.lo, c.hi);
        const float high = std::max(c.lo, c.hi);
        float seenMin = high;
        float seenMax = low;
        for (int i = 0; i < 57'600; ++i) {
            const float v = wave.At(Moment(i), c.lo, c.hi);
            ASSERT_TRUE(v >= low && v <= high) << v << " outside " << c.lo << ".." << c.hi;
            seenMin = std::min(seenMin, v);
            seenMax = std::max(seenMax, v);
        }
        // Wave 0.4 and noise 0.02 of the span either way: at least 80 % of it is swept.
        const double span = static_cast<double>(high) - low;
        EXPECT_GE(static_cast<double>(seenMax) - seenMin, 0.8 * span) << c.lo << ".." << c.hi;
    }
    // A range that is not finite gives its begin, or zero.
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(wave.At(3s, 10.0f, inf), 10.0f);
    EXPECT_EQ(wave.At(3s, std::numeric_limits<float>::quiet_NaN(), 10.0f), 0.0f);
    EXPECT_EQ(wave.At(3s, -inf, inf), 0.0f);
}

TEST(ProcessWaveTest, theSameMomentGivesTheSameValueAndTheNoiseIsNotAPattern) {
    const ProcessWave a;
    const ProcessWave b;
    const ProcessWave other(WaveShape{}, 1);
    int differ = 0;
    int rises = 0;
    const ProcessWave flat(WaveShape{60s, 0.0, 0.1});
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(a.At(Moment(i), 0.0f, 100.0f), b.At(Moment(i), 0.0f, 100.0f));
        differ += a.At(Moment(i), 0.0f, 100.0f) != other.At(Moment(i), 0.0f, 100.0f);
        // Without the wave the steps are noise alone: they rise about as often as they fall.
        rises += flat.At(Moment(i + 1), 0.0f, 1.0f) > flat.At(Moment(i), 0.0f, 1.0f);
    }
    EXPECT_GT(differ, 990);
    EXPECT_NEAR(rises, 500, 60);
}

TEST_F(DeviceTest, readPvFollowsTheWaveAtTheTimeOfTheRequest) {
    memory.SetReal(model::eeprom::kRangeBegin.address, 200.0f);
    memory.SetReal(model::eeprom::kRangeEnd.address, 400.0f);
    const ProcessWave wave(WaveShape{60s, 0.4, 0.0});
    device.SetProcessWave(wave);
    for (const link::Micros at : {0us, link::Micros(15s), link::Micros(45s)}) {
        Request request;
        request.command = link::FindCommand("ReadPV")->code;
        request.firstByteAt = at;
        const std::vector<Byte> reply = device.Handle(request);
        // Preamble, delimiter, address, command, count, response code, status, then the unit
        // code and the value.
        const std::size_t value = kDefaultReplyPreamble + 11;
        ASSERT_GE(reply.size(), value + 5);
        EXPECT_EQ(link::DecodePvFloat(
                      {reply[value], reply[value + 1], reply[value + 2], reply[value + 3]}),
                  wave.At(at, 200.0f, 400.0f));
    }
    // Three quarters of the period in: the trough, 300 - 0.4 * 200.
    EXPECT_FLOAT_EQ(device.ProcessValue(), 220.0f);
    device.SetProcessValue(12.5f);  // a fixed value still wins
    EXPECT_EQ(device.ProcessValue(), 12.5f);
}

}  // namespace
}  // namespace veld::sim
