#include "model/eeprom_names.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

#include "link/dev_float.h"
#include "model/input_types.h"

namespace veld::model {
namespace {

namespace map = eeprom;
using K = ItemKind;

constexpr std::array<CodeText, 3> kLinKinds{{{0, "žádná"}, {1, "polynom"}, {2, "tabulka úseků"}}};

NamedItem Named(map::Item item, std::string name, ItemKind kind, std::string_view unit = {}) {
    return {item, std::move(name), kind, unit, {}, {}, {}};
}
NamedItem Coded(map::Item item, std::string name, std::span<const CodeText> codes) {
    return {item, std::move(name), K::Code, {}, codes, {}, {}};
}
NamedItem Range(map::Item item, std::string name, std::string low, std::string high,
                std::string_view unit = {}) {
    return {item, std::move(name), K::Range, unit, {}, std::move(low), std::move(high)};
}

std::vector<NamedItem> BuildTable() {
    std::vector<NamedItem> t{
        Named(map::kHwWordsFirst, "předvolba, slova 0–5", K::Words),
        Named(map::kHwWordsSecond, "předvolba, slova 6–11", K::Words),
        Named(map::kHwBytesA, "předvolba, bajty 24–27", K::Hex),
        Named(map::kDividerRatio, "zeslabení děličem", K::Real),
        Named(map::kPvCorrection, "korekce PV (posun předvolby)", K::Real),
        Named(map::kOutputConstants.at(0, 4), "výstup, kód I1", K::Real),
        Named(map::kOutputConstants.at(4, 4), "výstup, kód I2", K::Real),
        Named(map::kOutputConstants.at(8, 4), "výstup, proud I1", K::Real, "mA"),
        Named(map::kOutputConstants.at(12, 4), "výstup, proud I2", K::Real, "mA"),
        Named(map::kOutputScaling.at(0, 4), "výstup, nastavení 4 mA", K::Real),
        Named(map::kOutputScaling.at(4, 4), "výstup, zesílení", K::Real),
        Range(map::kOutputRange, "výstupní rozsah", "výstup 4 mA", "výstup 20 mA"),
        Named(map::kDampingCoefficient, "koeficient tlumení", K::Real),
        Named(map::kHwBytesB, "předvolba, bajty 96–99", K::Hex),
        Named(map::kHwBytesC, "předvolba, bajty 100–111", K::Hex),
        Named(map::kHwBytesD.at(0, 1), "předvolba, bajt 112", K::Hex),
        Named(map::kOutputFlags, "příznaky výstupu", K::Hex),
        Named(map::kHwBytesD.at(2, 1), "předvolba, bajt 114", K::Hex),
        Named(map::kDisplayDecimals, "desetinná místa", K::Byte),
        Named(map::kPvCorrectionOwn, "korekce PV", K::Real),
        Named(map::kPolynomialDegree, "stupeň polynomu", K::Byte),
        Named(map::kPolynomialCoefficients, "koeficienty polynomu", K::Reals),
        Named(map::kColdJunctionDegree, "stupeň polynomu studeného konce", K::Byte),
        Named(map::kColdJunctionPolynomial, "polynom studeného konce", K::Reals),
        Named(map::kThermocoupleDegree, "stupeň polynomu termočlánku", K::Byte),
        Named(map::kThermocouplePolynomial, "polynom termočlánku", K::Reals),
        Named(map::kSignature, "podpis", K::Hex),
        Named(map::kFirmware.at(0, 1), "firmware", K::Byte),
        Named(map::kFirmware.at(1, 1), "firmware, druhý bajt", K::Hex),
        Named(map::kPvRange.at(0, 1), "vnitřní jednotka", K::Byte),
        Range(map::kPvRange.at(1, 8), "rozsah PV", "rozsah PV dolní", "rozsah PV horní"),
        Named(map::kPvRange.at(9, 4), "krok PV", K::Real),
        Named(map::kPvUnitAgain, "vnitřní jednotka (kopie)", K::Byte),
        Named(map::kOverdriveLimits.at(0, 4), "mez přebuzení horní", K::Real),
        Named(map::kOverdriveLimits.at(4, 4), "mez přebuzení dolní", K::Real),
        Named(map::kDamping, "tlumení", K::Real, "s"),
        Named(map::kInputCodes.at(0, 1), "vstup", K::Input),
        Coded(map::kInputCodes.at(1, 1), "chybový proud", FaultCurrentTexts()),
        Named(map::kInputCodes.at(2, 1), "kód předvolby", K::Byte),
        Coded(map::kInputCodes.at(3, 1), "připojení čidla", WiringTexts()),
        Named(map::kSenseResistance, "snímací odpor", K::Real, "Ohm"),
        Coded(map::kUnitCode, "jednotka", UnitChoices()),
        Named(map::kCurveCodes.at(1, 1), "křivka čidla", K::Byte),
        Named(map::kCurveCodes.at(2, 1), "křivka zobrazení", K::Byte),
        Coded(map::kCurveCodes.at(3, 1), "linearizace", LinModeTexts()),
        Range(map::kPvLimits, "meze PV", "mez PV dolní", "mez PV horní"),
        Named(map::kInputLimits.at(0, 4), "mez vstupu horní", K::Real),
        Named(map::kInputLimits.at(4, 4), "mez vstupu dolní", K::Real),
        Named(map::kNote, "poznámka", K::Text),
        Coded(map::kLinKind, "druh linearizace", kLinKinds),
    };
    for (std::uint16_t g = 0; g < map::kSegmentTable.length / map::kSegmentGroupLength; ++g) {
        t.push_back(
            Named(map::kSegmentTable.at(g * map::kSegmentGroupLength, map::kSegmentGroupLength),
                  "úsek " + std::to_string(g + 1) + " (x, c3, c2, c1, c0)", K::Reals));
    }
    t.push_back(Named(map::kSegmentEnd, "konec posledního úseku", K::Real));
    t.push_back(Named(map::kEndLines, "koncové přímky", K::Reals));
    for (int k = 1; k <= 4; ++k) {
        const std::string c = "komparátor " + std::to_string(k);
        t.push_back(Named(map::ComparatorOnLimit(k), c + " mez sepnutí", K::Real));
        t.push_back(Named(map::ComparatorOffLimit(k), c + " mez rozepnutí", K::Real));
    }
    for (int k = 1; k <= 4; ++k) {
        t.push_back(Named(map::ComparatorOnDelay(k),
                          "komparátor " + std::to_string(k) + " zpoždění sepnutí", K::Byte, "s"));
    }
    for (int k = 1; k <= 4; ++k) {
        t.push_back(Named(map::ComparatorOffDelay(k),
                          "komparátor " + std::to_string(k) + " zpoždění rozepnutí", K::Byte, "s"));
    }
    for (int k = 1; k <= 4; ++k)
        t.push_back(Named(map::ComparatorMode(k), "komparátor " + std::to_string(k), K::Relay));
    t.push_back(Named(map::kModeFlags, "příznaky režimu", K::Hex));
    t.push_back(Named(map::kEquipment, "vybavení", K::Hex));
    t.push_back(Named(map::kUnifiedScale, "unifikovaný signál, měřítko", K::Reals));
    t.push_back(Named(map::kUnifiedCoefficients, "unifikovaný signál, koeficienty", K::Reals));
    t.push_back(Range(map::kRangeItems, "rozsah", "dolní mez", "horní mez"));
    t.push_back(Named(map::kRangeSpanItems.at(0, 4), "začátek rozsahu", K::Real));
    t.push_back(Named(map::kRangeSpanItems.at(4, 4), "šířka rozsahu", K::Real));
    std::sort(t.begin(), t.end(), [](const NamedItem& a, const NamedItem& b) {
        return a.item.address < b.item.address;
    });
    return t;
}

// Appends the pieces; chains of operator+ on strings trip a false -Wrestrict in GCC 12.
std::string Join(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view p : pieces)
        text.append(p);
    return text;
}

std::string Number(float value) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::string Real(std::span<const std::uint8_t> b, std::string_view unit = {}) {
    const std::string number = Number(link::DecodeDevFloat({b[0], b[1], b[2], b[3]}));
    return unit.empty() ? number : Join({number, " ", unit});
}

std::string HexOf(std::span<const std::uint8_t> bytes, std::size_t group = 1) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && i % group == 0)
            text += ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::string Ascii(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes)
        text += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '?';
    return text;
}

std::string Span(std::string_view what, std::size_t first, std::size_t last) {
    return Join({" (", what, " ", std::to_string(first), "–", std::to_string(last), ")"});
}

// A code with its text where the table has one: "třívodičově (3)".
std::string CodeWithText(std::string_view text, std::uint8_t code) {
    const std::string number = Join({"(", std::to_string(code), ")"});
    return text.empty() ? number : Join({text, " ", number});
}

// One item of which `b` holds the bytes from `from` on (`from` > 0 or fewer bytes than the item
// has: touched in part).
std::string Describe(const NamedItem& n, std::size_t from, std::span<const std::uint8_t> b,
                     const TextDecoder& decode) {
    const bool whole = from == 0 && b.size() == n.item.length;
    switch (n.kind) {
        case K::Real:
        case K::Range:
        case K::Reals: {
            // Only the values of which every byte is here.
            const std::size_t first = (from + 3) / 4;
            const std::size_t end = (from + b.size()) / 4;
            if (first >= end)
                break;
            const auto value = [&](std::size_t i) {
                return Real(b.subspan(4 * i - from, 4), n.unit);
            };
            if (n.kind == K::Range) {
                if (whole)
                    return Join({n.name, " ", Real(b), " … ", value(1)});
                return Join({first == 0 ? n.lowName : n.highName, " ", value(first)});
            }
            std::string text = n.name;
            if (!whole && n.kind == K::Reals)
                text += Span("hodnoty", first + 1, end);
            for (std::size_t i = first; i < end; ++i)
                text.append(i == first ? " " : ", ").append(value(i));
            return text;
        }
        case K::Byte:
            return Join({n.name, " ", std::to_string(b[0]), n.unit.empty() ? "" : " ", n.unit});
        case K::Code:
            return Join({n.name, " ", CodeWithText(TextOf(n.codes, b[0]), b[0])});
        case K::Input: {
            const InputTypeInfo* type = FindInputTypeByCode(b[0]);
            return Join({n.name, " ", CodeWithText(type ? type->text : "", b[0])});
        }
        case K::Relay:
            return Join({n.name, (b[0] & 0x01) ? " povolen, " : " zakázán, ",
                         (b[0] & 0x02) ? kRelayWindow : kRelayHysteresis, " (", HexOf(b), ")"});
        case K::Words:
            if (whole || (from % 2 == 0 && b.size() % 2 == 0))
                return Join({n.name, whole ? "" : " (část)", " ", HexOf(b, 2)});
            break;
        case K::Text: {
            std::string text = decode ? decode(b) : Ascii(b);
            text.erase(text.find_last_not_of(' ') + 1);
            return Join(
                {n.name, whole ? "" : Span("znaky", from + 1, from + b.size()), " „", text, "“"});
        }
        case K::Hex:
            if (whole)
                return Join({n.name, " ", HexOf(b)});
            break;
    }
    return Join({n.name, " (část) ", HexOf(b)});
}

}  // namespace

std::span<const NamedItem> NamedItems() {
    static const std::vector<NamedItem> table = BuildTable();
    return table;
}

std::string DescribeEeprom(std::uint16_t address, std::span<const std::uint8_t> bytes,
                           const TextDecoder& text) {
    const std::size_t begin = address;
    const std::size_t end = begin + bytes.size();
    std::string result;
    for (const NamedItem& n : NamedItems()) {
        const std::size_t lo = std::max<std::size_t>(begin, n.item.address);
        const std::size_t hi = std::min<std::size_t>(end, n.item.end());
        if (lo >= hi)
            continue;
        if (!result.empty())
            result += "; ";
        result += Describe(n, lo - n.item.address, bytes.subspan(lo - begin, hi - lo), text);
    }
    return result;
}

std::string DescribeProcessValue(std::span<const std::uint8_t> payload) {
    if (payload.size() < 5)
        return {};
    const float value = link::DecodePvFloat({payload[1], payload[2], payload[3], payload[4]});
    const std::string_view unit = TextOf(UnitChoices(), payload[0]);
    if (payload[0] == kUnitNone)
        return Number(value);
    if (unit.empty())
        return Join({Number(value), " (jednotka ", std::to_string(payload[0]), ")"});
    return Join({Number(value), " ", unit});
}

}  // namespace veld::model
