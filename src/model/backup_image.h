#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/eeprom_map.h"

// A backup of the transmitter's memory as a text file (UTF-8, LF): a header, the bytes of each
// area as hex lines, and a CRC-32 over everything before its own line, so that a damaged or
// edited file is refused before anything is sent.
//
//     VELD záloha 1
//     podpis: 0D E5
//     firmware: 23
//     čas: 2026-12-07T10:00:00
//     poznámka: Kotelna 3
//     oblasti: předvolba 0 36, výstup 52 20, ...
//     0: 00 1F ... (at most 16 bytes a line, each line inside one area)
//     kontrolní součet: 1A2B3C4D
namespace veld::model {

inline constexpr int kBackupVersion = 1;

struct BackupArea {
    std::string name;
    std::uint16_t address = 0;
    std::vector<std::uint8_t> bytes;

    bool operator==(const BackupArea&) const = default;
};

struct BackupImage {
    std::array<std::uint8_t, 2> signature{};
    std::uint8_t firmware = 0;
    std::string time;  // ISO 8601, local time
    std::string note;  // one line
    std::vector<BackupArea> areas;

    bool operator==(const BackupImage&) const = default;
};

std::uint32_t Crc32(std::string_view bytes);

std::string SerializeBackup(const BackupImage& image);

struct ParsedBackup {
    std::optional<BackupImage> image;
    std::string message;  // Czech, naming the line, when there is no image
};
// Accepts only what SerializeBackup writes, with areas that are exactly areas of the map's
// backup table: a file that names another area (the factory constants, the signature) is
// refused rather than written.
ParsedBackup ParseBackup(std::string_view text);

}  // namespace veld::model
