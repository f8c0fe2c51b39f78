#include "model/hw_presets.h"

#include <algorithm>
#include <string>

namespace veld::model {
namespace {

// A row as the documentation prints it: hexadecimal words and bytes separated by blanks, the
// limits as decimals (the nearest singles).
struct PresetText {
    std::uint8_t code;
    const char* words;
    const char* bytesA;
    const char* bytesB;
    const char* bytesC;
    const char* bytesD;
    float limitHi;
    float limitLo;
};

consteval int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    throw "not a hexadecimal digit";  // stops the compilation
}

// Exactly N groups of `digits` hexadecimal digits, one blank between them.
template <class T, std::size_t N>
consteval std::array<T, N> ParseHex(const char* text, int digits) {
    std::array<T, N> out{};
    const char* p = text;
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0 && *p++ != ' ')
            throw "groups must be separated by one blank";
        unsigned value = 0;
        for (int d = 0; d < digits; ++d)
            value = value * 16 + static_cast<unsigned>(HexDigit(*p++));
        out[i] = static_cast<T>(value);
    }
    if (*p != '\0')
        throw "too many groups";
    return out;
}

// Every row has the gain 1.0 and the offset 0.0.
// clang-format off
constexpr PresetText kText[] = {
    {1, "2103 9101 2004 9101 0000 0000 0000 0000 0000 0000 0000 0000", "14 34 00 00", "E6 03 FF 03", "7C 0F 90 78 05 00 00 00 00 00 00 00", "04 00 00 01", 220.0f, -1.0f},
    {2, "2103 9101 2004 9101 0000 0000 0000 0000 0000 0000 0000 0000", "14 34 00 00", "E6 03 FF 03", "7C 0F 80 78 05 00 00 00 00 00 00 00", "04 00 00 01", 440.0f, -1.0f},
    {3, "2303 9101 2004 9101 0000 0000 0000 0000 0000 0000 0000 0000", "14 34 00 00", "F2 03 FF 03", "7C 0F 80 30 05 00 00 00 00 00 00 00", "14 00 00 01", 2200.0f, -10.0f},
    {4, "2303 9101 2004 9101 0000 0000 0000 0000 0000 0000 0000 0000", "14 34 00 00", "F2 03 FF 03", "7C 0F 80 18 05 00 00 00 00 00 00 00", "14 00 00 01", 4400.0f, -10.0f},
    {5, "2103 8100 2004 8100 0202 8100 0000 0000 0000 0000 0000 0000", "02 34 00 00", "E6 03 FF 03", "7C 0F 90 78 05 00 00 00 00 00 00 00", "06 00 00 01", 220.0f, -1.0f},
    {6, "2103 8100 2004 8100 0202 8100 0000 0000 0000 0000 0000 0000", "02 34 00 00", "E6 03 FF 03", "7C 0F 80 78 05 00 00 00 00 00 00 00", "06 00 00 01", 440.0f, -1.0f},
    {7, "2303 8100 2004 8100 0202 8100 0000 0000 0000 0000 0000 0000", "02 34 00 00", "F2 03 FF 03", "7C 0F 80 30 05 00 00 00 00 00 00 00", "16 00 00 01", 2200.0f, -10.0f},
    {8, "2303 8100 2004 8100 0202 8100 0000 0000 0000 0000 0000 0000", "02 34 00 00", "F2 03 FF 03", "7C 0F 80 18 05 00 00 00 00 00 00 00", "16 00 00 01", 4400.0f, -10.0f},
    {17, "2103 9101 2004 9101 0202 9100 0000 0000 0000 0000 0000 0000", "12 34 00 00", "E6 03 FF 03", "7C 0F 90 78 05 00 00 00 00 00 00 00", "04 00 00 01", 220.0f, -1.0f},
    {18, "2103 9101 2004 9101 0202 9101 0000 0000 0000 0000 0000 0000", "12 34 00 00", "E6 03 FF 03", "7C 0F 90 78 05 00 00 00 00 00 00 00", "06 00 00 01", 220.0f, -1.0f},
    {19, "2303 9101 2004 9101 0202 9101 0000 0000 0000 0000 0000 0000", "12 34 00 00", "F2 03 FF 03", "7C 0F 80 30 05 00 00 00 00 00 00 00", "16 00 00 01", 2200.0f, -10.0f},
    {20, "2303 9101 2004 9101 0202 9101 0000 0000 0000 0000 0000 0000", "12 34 00 00", "F2 03 FF 03", "7C 0F 80 18 05 00 00 00 00 00 00 00", "16 00 00 01", 4400.0f, -10.0f},
    {25, "1405 1301 1006 1301 0000 0000 0000 0000 0000 0000 0000 0000", "16 56 00 00", "FF 03 FF 03", "7C 0F B0 4C 00 00 00 00 00 00 00 00", "24 00 00 03", 0.0176f, -0.0016f},
    {26, "1405 1301 1006 1301 0000 0000 0000 0000 0000 0000 0000 0000", "16 56 00 00", "FF 03 FF 03", "7C 0F A0 4C 00 00 00 00 00 00 00 00", "24 00 00 03", 0.0352f, -0.0032f},
    {27, "1505 1301 1006 1301 0000 0000 0000 0000 0000 0000 0000 0000", "16 56 00 00", "FF 03 FF 03", "7C 0F 90 60 00 00 00 00 00 00 00 00", "34 00 00 03", 0.0704f, -0.0045f},
    {28, "1505 1301 1006 1301 0000 0000 0000 0000 0000 0000 0000 0000", "16 56 00 00", "FF 03 FF 03", "7C 0F 80 60 00 00 00 00 00 00 00 00", "34 00 00 03", 0.1408f, -0.0128f},
    {29, "1405 1301 1006 1301 2113 3300 2004 1321 0000 0000 0000 0000", "16 56 04 34", "E6 03 E6 03", "7C 0F B0 4C 00 00 7C FF 90 78 05 00", "A8 00 00 01", 0.0176f, -0.0016f},
    {30, "1405 1301 1006 1301 2113 3300 2004 1321 0000 0000 0000 0000", "16 56 04 34", "E6 03 E6 03", "7C 0F A0 4C 00 00 7C FF 90 78 05 00", "A8 00 00 01", 0.0352f, -0.0032f},
    {31, "1505 1301 1006 1301 2113 3300 2004 1321 0000 0000 0000 0000", "16 56 04 34", "E6 03 E6 03", "7C 0F 90 60 00 00 7C FF 90 78 05 00", "B8 00 00 01", 0.0704f, -0.0045f},
    {32, "1505 1301 1006 1301 2113 3300 2004 1321 0000 0000 0000 0000", "16 56 04 34", "E6 03 E6 03", "7C 0F 80 60 00 00 7C FF 90 78 05 00", "B8 00 00 01", 0.1408f, -0.0128f},
    {33, "1405 1301 1006 1301 2113 0300 2004 1321 0000 0000 0000 0000", "16 56 04 34", "E6 03 E6 03", "7C 0F B0 4C 00 00 7C FF 90 78 05 00", "A8 00 00 01", 0.0176f, -0.0016f},
    {34, "1405 1301 1006 1301 2113 0300 2004 1321 0000 0000 0000 0000", "16 56 04 34", "E6 03 E6 03", "7C 0F A0 4C 00 00 7C FF 90 78 05 00", "A8 00 00 01", 0.0352f, -0.0032f},
    {35, "1505 1301 1006 1301 2113 0300 2004 1321 0000 0000 0000 0000", "16 56 04 34", "E6 03 E6 03", "7C 0F 90 60 00 00 7C FF 90 78 05 00", "B8 00 00 01", 0.0704f, -0.0045f},
    {36, "1505 1301 1006 1301 2113 0300 2004 1321 0000 0000 0000 0000", "16 56 04 34", "E6 03 E6 03", "7C 0F 80 60 00 00 7C FF 90 78 05 00", "B8 00 00 01", 0.1408f, -0.0128f},
    {37, "1405 1301 1006 1301 2113 8100 0202 2004 1321 0000 0000 0000", "16 56 02 34", "E6 03 E6 03", "7C 0F B0 4C 00 00 7C FF 90 78 05 00", "A9 00 00 01", 0.0176f, -0.0016f},
    {38, "1405 1301 1006 1301 2113 8100 0202 2004 1321 0000 0000 0000", "16 56 02 34", "E6 03 E6 03", "7C 0F A0 4C 00 00 7C FF 90 78 05 00", "A9 00 00 01", 0.0352f, -0.0032f},
    {39, "1505 1301 1006 1301 2113 8100 0202 2004 1321 0000 0000 0000", "16 56 02 34", "E6 03 E6 03", "7C 0F 90 60 00 00 7C FF 90 78 05 00", "B9 00 00 01", 0.0704f, -0.0045f},
    {40, "1505 1301 1006 1301 2113 8100 0202 2004 1321 0000 0000 0000", "16 56 02 34", "E6 03 E6 03", "7C 0F 80 60 00 00 7C FF 90 78 05 00", "B9 00 00 01", 0.1408f, -0.0128f},
    {49, "2505 2701 2006 2701 0000 0000 0000 0000 0000 0000 0000 0000", "16 56 00 00", "FF 03 FF 03", "7C 0F 90 60 05 00 00 00 00 00 00 00", "44 00 00 01", 10.0f, -1.0f},
    {50, "2505 2601 2006 2601 0000 0000 0000 0000 0000 0000 0000 0000", "16 56 00 00", "FF 03 FF 03", "7C 0F 90 60 05 00 00 00 00 00 00 00", "54 00 00 01", 22.0f, -1.0f},
    {51, "2505 2601 2006 2601 0000 0000 0000 0000 0000 0000 0000 0000", "16 56 00 00", "FF 03 FF 03", "7C 0F 90 60 05 00 00 00 00 00 00 00", "64 00 00 01", 22.0f, -1.0f},
    {52, "1505 1301 1006 1301 0000 0000 0000 0000 0000 0000 0000 0000", "16 56 00 00", "FF 03 FF 03", "7C 0F 80 2C 03 00 00 00 00 00 00 00", "34 00 00 03", 0.6f, -0.1f},
    {53, "1505 1301 1006 1301 0000 0000 0000 0000 0000 0000 0000 0000", "16 56 00 00", "FF 03 FF 03", "7C 0F 80 18 04 00 00 00 00 00 00 00", "34 00 00 03", 1.1f, -0.2f},
};
// clang-format on

consteval auto BuildTable() {
    std::array<HwPresetRow, std::size(kText)> rows{};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PresetText& t = kText[i];
        if (i > 0 && t.code <= kText[i - 1].code)
            throw "rows must be in code order";
        rows[i].code = t.code;
        HwPreset& p = rows[i].preset;
        p.HwWords = ParseHex<std::uint16_t, 12>(t.words, 4);
        p.HwBytesA = ParseHex<std::uint8_t, 4>(t.bytesA, 2);
        p.HwGain = 1.0f;
        p.HwOffset = 0.0f;
        p.HwBytesB = ParseHex<std::uint8_t, 4>(t.bytesB, 2);
        p.HwBytesC = ParseHex<std::uint8_t, 12>(t.bytesC, 2);
        p.HwBytesD = ParseHex<std::uint8_t, 4>(t.bytesD, 2);
        p.InputLimitHi = t.limitHi;
        p.InputLimitLo = t.limitLo;
    }
    return rows;
}

constexpr auto kTable = BuildTable();

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const std::array<std::uint8_t, N>& a) {
    return {a.begin(), a.end()};
}

std::vector<std::uint8_t> WordBytes(std::span<const std::uint16_t> words) {
    std::vector<std::uint8_t> out;
    out.reserve(words.size() * 2);
    for (std::uint16_t w : words) {
        out.push_back(static_cast<std::uint8_t>(w >> 8));
        out.push_back(static_cast<std::uint8_t>(w & 0xFF));
    }
    return out;
}

}  // namespace

std::span<const HwPresetRow> HwPresetTable() {
    return kTable;
}

Checked<HwPreset> HwPresetSelect(std::uint8_t code) {
    const auto it = std::find_if(kTable.begin(), kTable.end(),
                                 [code](const HwPresetRow& r) { return r.code == code; });
    if (it == kTable.end())
        return Checked<HwPreset>::Refused(
            "Pro tento vstup (kód hardwarové konfigurace " + std::to_string(code) +
            ") nemá program nastavení vstupních obvodů. Konfigurace nebyla zapsána.");
    return it->preset;
}

WritePlan HwPresetWrite(const HwPreset& p) {
    namespace map = eeprom;
    const std::span<const std::uint16_t> words(p.HwWords);
    WritePlan plan{
        {map::kHwWordsFirst.address, WordBytes(words.first(6))},
        {map::kHwWordsSecond.address, WordBytes(words.subspan(6)), kHwPresetPause},
        {map::kHwBytesA.address, Bytes(p.HwBytesA)},
        {map::kHwGainAndOffset.address, RealBytes({p.HwGain, p.HwOffset})},
        {map::kHwBytesB.address, Bytes(p.HwBytesB)},
        {map::kHwBytesC.address, Bytes(p.HwBytesC)},
        {map::kHwBytesD.address, Bytes(p.HwBytesD)},
        {map::kInputLimits.address, RealBytes({p.InputLimitHi, p.InputLimitLo})},
    };
    return plan;
}

}  // namespace veld::model
