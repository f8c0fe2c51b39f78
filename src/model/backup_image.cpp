#include "model/backup_image.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <span>

namespace veld::model {
namespace {

constexpr std::string_view kMagic = "VELD záloha ";
constexpr std::string_view kSignatureKey = "podpis: ";
constexpr std::string_view kFirmwareKey = "firmware: ";
constexpr std::string_view kTimeKey = "čas: ";
constexpr std::string_view kNoteKey = "poznámka: ";
constexpr std::string_view kAreasKey = "oblasti: ";
constexpr std::string_view kChecksumKey = "kontrolní součet: ";
constexpr std::size_t kBytesPerLine = 16;

std::string Hex(std::uint32_t value, int digits) {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%0*X", digits, static_cast<unsigned>(value));
    return buf;
}

template <class T>
std::optional<T> Number(std::string_view text, int base = 10) {
    T value{};
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || res.ec != std::errc() || res.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::vector<std::string_view> Split(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> parts;
    for (std::size_t at = 0;;) {
        const std::size_t next = text.find(separator, at);
        parts.push_back(text.substr(at, next == std::string_view::npos ? next : next - at));
        if (next == std::string_view::npos)
            return parts;
        at = next + separator.size();
    }
}

// "0D E5 ..." into bytes.
std::optional<std::vector<std::uint8_t>> HexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    for (const std::string_view word : Split(text, " ")) {
        const auto b = word.size() == 2 ? Number<std::uint8_t>(word, 16) : std::nullopt;
        if (!b)
            return std::nullopt;
        bytes.push_back(*b);
    }
    return bytes;
}

std::string HexLine(std::span<const std::uint8_t> bytes) {
    std::string line;
    for (const std::uint8_t b : bytes) {
        if (!line.empty())
            line += ' ';
        line += Hex(b, 2);
    }
    return line;
}

const eeprom::NamedArea* KnownArea(std::string_view name) {
    for (const eeprom::NamedArea& a : eeprom::kBackupAreas)
        if (name == a.name)
            return &a;
    return nullptr;
}

ParsedBackup Refused(std::string message) {
    return {std::nullopt, std::move(message)};
}
ParsedBackup LineRefused(std::size_t line, const std::string& what) {
    return Refused("Záloha je poškozená: řádek " + std::to_string(line) + " " + what + ".");
}

}  // namespace

std::uint32_t Crc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string SerializeBackup(const BackupImage& image) {
    std::string note = image.note;
    std::replace_if(
        note.begin(), note.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    std::string text = std::string(kMagic) + std::to_string(kBackupVersion) + '\n';
    text += std::string(kSignatureKey) + HexLine(image.signature) + '\n';
    text += std::string(kFirmwareKey) + std::to_string(image.firmware) + '\n';
    text += std::string(kTimeKey) + image.time + '\n';
    text += std::string(kNoteKey) + note + '\n';
    text += kAreasKey;
    for (std::size_t i = 0; i < image.areas.size(); ++i) {
        const BackupArea& a = image.areas[i];
        text += (i ? ", " : "") + a.name + ' ' + std::to_string(a.address) + ' ' +
                std::to_string(a.bytes.size());
    }
    text += '\n';
    for (const BackupArea& a : image.areas) {
        for (std::size_t at = 0; at < a.bytes.size(); at += kBytesPerLine) {
            const std::size_t n = std::min(kBytesPerLine, a.bytes.size() - at);
            text += std::to_string(a.address + at) + ": " +
                    HexLine(std::span(a.bytes).subspan(at, n)) + '\n';
        }
    }
    text += std::string(kChecksumKey) + Hex(Crc32(text), 8) + '\n';
    return text;
}

ParsedBackup ParseBackup(std::string_view text) {
    std::vector<std::string_view> lines = Split(text, "\n");
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    if (lines.empty() || !lines[0].starts_with(kMagic))
        return Refused("Soubor není záloha převodníku VELD.");
    const auto version = Number<int>(lines[0].substr(kMagic.size()));
    if (!version)
        return Refused("Soubor není záloha převodníku VELD.");
    if (*version != kBackupVersion)
        return Refused("Záloha má formát " + std::to_string(*version) +
                       ", tento program zná jen formát " + std::to_string(kBackupVersion) + ".");

    // The checksum first: nothing of a damaged file is trusted.
    const std::string_view last = lines.back();
    if (!last.starts_with(kChecksumKey) || !text.ends_with('\n'))
        return Refused("Záloha je neúplná: chybí řádek „kontrolní součet“ na konci.");
    const auto stored = last.size() == kChecksumKey.size() + 8
                            ? Number<std::uint32_t>(last.substr(kChecksumKey.size()), 16)
                            : std::nullopt;
    const std::size_t covered = static_cast<std::size_t>(last.data() - text.data());
    if (!stored || *stored != Crc32(text.substr(0, covered)))
        return Refused("Záloha je poškozená: kontrolní součet nesouhlasí.");
    lines.pop_back();

    BackupImage image;
    const auto value = [&](std::size_t i, std::string_view key) -> std::optional<std::string_view> {
        if (i >= lines.size() || !lines[i].starts_with(key))
            return std::nullopt;
        return lines[i].substr(key.size());
    };
    const auto signature = value(1, kSignatureKey);
    const auto signatureBytes = signature ? HexBytes(*signature) : std::nullopt;
    if (!signatureBytes || signatureBytes->size() != 2)
        return LineRefused(2, "nemá tvar „podpis: XX XX“");
    image.signature = {(*signatureBytes)[0], (*signatureBytes)[1]};
    const auto firmwareText = value(2, kFirmwareKey);
    const auto firmware = firmwareText ? Number<std::uint8_t>(*firmwareText) : std::nullopt;
    if (!firmware)
        return LineRefused(3, "nemá tvar „firmware: číslo 0..255“");
    image.firmware = *firmware;
    const auto time = value(3, kTimeKey);
    if (!time)
        return LineRefused(4, "nemá tvar „čas: …“");
    image.time = *time;
    const auto note = value(4, kNoteKey);
    if (!note)
        return LineRefused(5, "nemá tvar „poznámka: …“");
    image.note = *note;

    const auto areas = value(5, kAreasKey);
    if (!areas || areas->empty())
        return LineRefused(6, "nemá tvar „oblasti: název adresa délka, …“");
    std::vector<std::vector<bool>> given;
    for (const std::string_view entry : Split(*areas, ", ")) {
        const std::size_t lengthAt = entry.rfind(' ');
        const std::size_t addressAt =
            lengthAt == std::string_view::npos ? lengthAt : entry.rfind(' ', lengthAt - 1);
        if (addressAt == std::string_view::npos || addressAt == 0)
            return LineRefused(6, "nemá tvar „oblasti: název adresa délka, …“");
        const std::string_view name = entry.substr(0, addressAt);
        const auto address =
            Number<std::uint16_t>(entry.substr(addressAt + 1, lengthAt - addressAt - 1));
        const auto length = Number<std::uint16_t>(entry.substr(lengthAt + 1));
        const eeprom::NamedArea* known = KnownArea(name);
        if (!known || address != known->item.address || length != known->item.length)
            return LineRefused(
                6, "uvádí oblast „" + std::string(entry) + "“, kterou tento program nezapisuje");
        const bool twice = std::any_of(image.areas.begin(), image.areas.end(),
                                       [&](const BackupArea& a) { return a.name == name; });
        if (twice)
            return LineRefused(6, "uvádí oblast „" + std::string(name) + "“ dvakrát");
        image.areas.push_back({std::string(name), *address, std::vector<std::uint8_t>(*length)});
        given.emplace_back(*length, false);
    }

    for (std::size_t i = 6; i < lines.size(); ++i) {
        const std::size_t colon = lines[i].find(": ");
        const auto address = colon == std::string_view::npos
                                 ? std::nullopt
                                 : Number<std::uint16_t>(lines[i].substr(0, colon));
        const auto bytes = address ? HexBytes(lines[i].substr(colon + 2)) : std::nullopt;
        if (!bytes)
            return LineRefused(i + 1, "nemá tvar „adresa: XX XX …“");
        std::size_t a = 0;
        while (a < image.areas.size() &&
               !(*address >= image.areas[a].address &&
                 *address + bytes->size() <= image.areas[a].address + image.areas[a].bytes.size()))
            ++a;
        if (a == image.areas.size())
            return LineRefused(i + 1, "leží mimo uvedené oblasti");
        const std::size_t offset = *address - image.areas[a].address;
        for (std::size_t k = 0; k < bytes->size(); ++k) {
            if (given[a][offset + k])
                return LineRefused(i + 1, "uvádí bajt " + std::to_string(*address + k) + " znovu");
            given[a][offset + k] = true;
            image.areas[a].bytes[offset + k] = (*bytes)[k];
        }
    }
    for (std::size_t a = 0; a < image.areas.size(); ++a)
        if (std::find(given[a].begin(), given[a].end(), false) != given[a].end())
            return Refused("Záloha je neúplná: oblasti „" + image.areas[a].name + "“ chybí bajty.");
    return {std::move(image), {}};
}

}  // namespace veld::model
