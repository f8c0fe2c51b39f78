#include "sim/device.h"

#include <optional>

#include <algorithm>
#include <array>
#include <cmath>

#include "link/dev_float.h"

namespace veld::sim {

namespace {

constexpr Byte kDeviceStatus = 0x00;

bool IsRefusal(Byte code) {
    return code == 6 || code == 9 || code == 10 || code == 14;
}

}  // namespace

std::vector<Byte> Device::Handle(const Request& request) {
    ++received_;
    now_ = request.firstByteAt;
    ++counts_[request.command];
    log_.push_back(request);
    if (log_.size() > kLogCapacity)
        log_.pop_front();

    const auto info = link::FindCommand(request.command);
    if (!info)
        return Reply(request.command, kResponseNotImplemented);
    const std::string_view name = info->name;
    if (name == "ReadUniqIdent")
        return ReadUniqueIdentifier(request);
    if (name == "ReadEEPROM")
        return ReadMemory(request, 2);
    if (name == "ReadEEPROM2")
        return ReadMemory(request, 3);
    if (name == "WriteEEPROM")
        return WriteMemory(request, 2);
    if (name == "WriteEEPROM2")
        return WriteMemory(request, 3);
    if (name == "ReadPV")
        return ReadPv(request);
    if (name == "NastOfs")
        return Calibrate(request, model::eeprom::kOutputRangeLo.address);
    if (name == "NastFS")
        return Calibrate(request, model::eeprom::kOutputRangeHi.address);
    if (name == "Stop") {
        measuring_ = false;
        return Reply(request.command, 0);
    }
    if (name == "Continue") {
        measuring_ = true;
        return Reply(request.command, 0);
    }
    if (name == "Reset") {
        ++resets_;
        return Reply(request.command, 0);
    }
    return Reply(request.command, kResponseNotImplemented);
}

std::size_t Device::Count(std::string_view commandName) const {
    const auto info = link::FindCommand(commandName);
    return info ? Count(info->code) : 0;
}

std::size_t Device::Count(Byte command) const {
    const auto it = counts_.find(command);
    return it == counts_.end() ? 0 : it->second;
}

void Device::ClearCounters() {
    received_ = 0;
    counts_.clear();
    log_.clear();
}

float Device::ProcessValue() const {
    if (processValue_)
        return *processValue_;
    const float lo = memory_.RealAt(model::eeprom::kRangeBegin.address).value_or(0.0f);
    const float hi = memory_.RealAt(model::eeprom::kRangeEnd.address).value_or(0.0f);
    if (wave_)
        return wave_->At(now_, lo, hi);
    if (!std::isfinite(lo) || !std::isfinite(hi))
        return 0.0f;
    const float value = lo + rangeFraction_ * (hi - lo);
    return std::isfinite(value) ? value : 0.0f;
}

std::vector<Byte> Device::Reply(Byte command, Byte responseCode,
                                std::span<const Byte> payload) const {
    return BuildReplyFrame(command, responseCode, kDeviceStatus, payload, preamble_);
}

namespace {

// The address (high byte first) and count that lead the data of a memory request; nullopt when
// the data is too short to hold them.
struct MemoryArgs {
    std::size_t address;
    std::size_t count;
};
std::optional<MemoryArgs> ParseMemoryArgs(const Request& r, std::size_t addressBytes) {
    if (r.data.size() < addressBytes + 1)
        return std::nullopt;
    std::size_t address = 0;
    for (std::size_t i = 0; i < addressBytes; ++i)
        address = (address << 8) | r.data[i];
    return MemoryArgs{address, r.data[addressBytes]};
}

}  // namespace

std::vector<Byte> Device::ReadMemory(const Request& r, std::size_t addressBytes) {
    const auto args = ParseMemoryArgs(r, addressBytes);
    if (!args)
        return Reply(r.command, kResponseTooFewDataBytes);
    const auto [address, count] = *args;
    if (count > link::kMaxReplyPayload)
        return Reply(r.command, kResponseParameterTooLarge);
    const auto bytes = memory_.Read(address, count);
    if (!bytes)
        return Reply(r.command, kResponseParameterTooLarge);
    return Reply(r.command, 0, *bytes);
}

std::vector<Byte> Device::WriteMemory(const Request& r, std::size_t addressBytes) {
    const auto args = ParseMemoryArgs(r, addressBytes);
    if (!args)
        return Reply(r.command, kResponseTooFewDataBytes);
    const auto [address, count] = *args;
    const auto payload = std::span<const Byte>(r.data).subspan(addressBytes + 1);
    if (payload.size() < count)
        return Reply(r.command, kResponseTooFewDataBytes);
    // Nothing is stored unless all of it fits.
    if (!memory_.Write(address, payload.first(count))) {
        return Reply(r.command, kResponseParameterTooLarge);
    }
    return Reply(r.command, 0);
}

std::vector<Byte> Device::ReadPv(const Request& r) const {
    const Byte unit =
        memory_.Read(model::eeprom::kUnitCode.address, model::eeprom::kUnitCode.length)
            .value_or(std::vector<Byte>{251})[0];
    const link::FloatBytes value = link::EncodePvFloat(ProcessValue());
    const std::array<Byte, 5> payload{unit, value[0], value[1], value[2], value[3]};
    return Reply(r.command, 0, payload);
}

std::vector<Byte> Device::Calibrate(const Request& r, std::size_t rangeEndAddress) {
    const std::array<Byte, 1> payload{calibrationResult_};
    if (!IsRefusal(calibrationResult_))
        memory_.SetReal(rangeEndAddress, ProcessValue());
    return Reply(r.command, 0, payload);
}

std::vector<Byte> Device::ReadUniqueIdentifier(const Request& r) const {
    // The long address is built from this answer: manufacturer 0x3A, device type 0xBD and the
    // device identifier EF B1 34.
    // Then: preambles wanted 5, protocol revision 5, device, software and hardware revisions 1,
    // no flags.
    const std::array<Byte, 12> payload{254,
                                       link::DeviceAddress[0],
                                       link::DeviceAddress[1],
                                       5,
                                       5,
                                       1,
                                       1,
                                       1,
                                       0,
                                       link::DeviceAddress[2],
                                       link::DeviceAddress[3],
                                       link::DeviceAddress[4]};
    return Reply(r.command, 0, payload);
}

}  // namespace veld::sim
