#include "sim/memory_image.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <system_error>

#include "link/dev_float.h"

namespace veld::sim {

namespace {

// Factory calibration of the analog output: converter settings measured at I1 and I2 (mA).
constexpr float kOutCodeLo = 6571.0f;
constexpr float kOutCodeHi = 32742.0f;
constexpr float kOutCurrentLo = 4.012f;
constexpr float kOutCurrentHi = 19.985f;

constexpr Byte kFirmwareNumber = 23;
// The comparator mode bytes carry a bit of the transmitter's own besides enable and window mode,
// so that a program which fails to write it back is caught.
constexpr Byte kComparatorModeFactory = 0x20;

}  // namespace

MemoryImage::MemoryImage() {
    FactoryReset();
}

void MemoryImage::FactoryReset() {
    namespace map = model::eeprom;
    bytes_.fill(0x00);
    const auto put = [this](map::Item item, std::initializer_list<Byte> values) {
        std::copy(values.begin(), values.end(),
                  bytes_.begin() + static_cast<std::ptrdiff_t>(item.address));
    };
    const auto setReals = [this](map::Item item, std::initializer_list<float> values) {
        std::size_t address = item.address;
        for (float v : values) {
            SetReal(address, v);
            address += map::kRealLength;
        }
    };

    SetReal(map::kDividerRatio.address, 1.0f);
    SetReal(map::kPvCorrection.address, 0.0f);
    setReals(map::kOutputConstants, {kOutCodeLo, kOutCodeHi, kOutCurrentLo, kOutCurrentHi});

    // Output scaling for 0..100 as the program would compute it from the constants above.
    constexpr float lo = 0.0f;
    constexpr float hi = 100.0f;
    const float span = kOutCodeHi - kOutCodeLo;
    const float currents = kOutCurrentHi - kOutCurrentLo;
    setReals(map::kOutputScaling, {kOutCodeLo + span * (4.0f - kOutCurrentLo) / currents,
                                   span / (hi - lo) * 16.0f / currents, lo, hi});
    put(map::kOutputFlags, {8});  // fault current "nadproud"
    SetReal(map::kPvCorrectionOwn.address, 0.0f);

    put(map::kSignature, {map::kSignatureByte0, map::kSignatureByte1});
    put(map::kFirmware, {kFirmwareNumber, 0x00});

    // Pt100, three wires, 0..100 °C, linearized.
    put(map::kPvRange, {32});
    setReals(map::kPvRange.at(1, 12), {lo, hi, (hi - lo) / 5.0f});
    put(map::kPvUnitAgain, {32});
    setReals(map::kOverdriveLimits, {hi + (hi - lo) / 5.0f, lo - (hi - lo) / 5.0f});
    SetReal(map::kDamping.address, 1.0f);
    put(map::kInputCodes, {1, 1, 1, 3});
    SetReal(map::kSenseResistance.address, 0.0f);
    put(map::kCurveCodes, {32, 9, 9, 2});
    setReals(map::kPvLimits, {lo - (hi - lo) / 20.0f, hi + (hi - lo) / 20.0f});

    // A fresh note is blank: the same padding the program writes, shown as an empty note.
    std::fill_n(bytes_.begin() + map::kNote.address, map::kNote.length, Byte{0x20});

    // End lines of the file linearization: identity.
    setReals(map::kEndLines, {1.0f, 0.0f, 1.0f, 0.0f});

    std::fill_n(bytes_.begin() + map::kComparatorModes.address, map::kComparatorModes.length,
                kComparatorModeFactory);
    // All four switching outputs fitted.
    put(map::kModeFlags, {map::kModeFlagsOutput1});
    put(map::kEquipment, {0x07});

    setReals(map::kRangeItems, {lo, hi});
}

std::optional<std::vector<Byte>> MemoryImage::Read(std::size_t address, std::size_t count) const {
    if (!Contains(address, count))
        return std::nullopt;
    const auto first = bytes_.begin() + static_cast<std::ptrdiff_t>(address);
    return std::vector<Byte>(first, first + static_cast<std::ptrdiff_t>(count));
}

bool MemoryImage::Write(std::size_t address, std::span<const Byte> bytes) {
    if (!Contains(address, bytes.size()))
        return false;
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(address));
    return true;
}

std::optional<float> MemoryImage::RealAt(std::size_t address) const {
    if (!Contains(address, 4))
        return std::nullopt;
    link::FloatBytes b{};
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(address), 4, b.begin());
    return link::DecodeDevFloat(b);
}

bool MemoryImage::SetReal(std::size_t address, float value) {
    const link::FloatBytes b = link::EncodeDevFloat(value);
    return Write(address, b);
}

FileResult MemoryImage::Load(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {false, "cannot open memory image " + path.string()};
    std::vector<Byte> data;
    data.reserve(kSize);
    // Read one byte beyond the expected size so that an overlong file is told apart.
    std::array<char, 512> chunk{};
    while (data.size() <= kSize) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        for (std::size_t i = 0; i < got; ++i)
            data.push_back(static_cast<Byte>(chunk[i]));
        if (!in)
            break;
    }
    if (in.bad())
        return {false, "cannot read memory image " + path.string()};
    if (data.size() != kSize) {
        const std::string size = data.size() > kSize ? "more than " + std::to_string(kSize)
                                                     : std::to_string(data.size());
        return {false, "memory image " + path.string() + " has " + size + " bytes, expected " +
                           std::to_string(kSize)};
    }
    std::copy(data.begin(), data.end(), bytes_.begin());
    return {};
}

FileResult MemoryImage::Save(const std::filesystem::path& path) const {
    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return {false, "cannot create memory image " + temp.string()};
        out.write(reinterpret_cast<const char*>(bytes_.data()),
                  static_cast<std::streamsize>(bytes_.size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            return {false, "cannot write memory image " + temp.string()};
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        return {false, "cannot replace memory image " + path.string() + ": " + ec.message()};
    }
    return {};
}

}  // namespace veld::sim
