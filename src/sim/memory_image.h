#pragma once

// The transmitter's EEPROM: a byte image with believable factory contents, bounds-checked access
// and a file form (the raw bytes, exactly kSize of them).

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/frame.h"
#include "model/eeprom_map.h"

namespace veld::sim {

using link::Byte;

// Outcome of a file operation; the message names the file and what was wrong.
struct FileResult {
    bool ok = true;
    std::string message;
    explicit operator bool() const { return ok; }
};

class MemoryImage {
public:
    // 2048 bytes cover the whole map.
    static constexpr std::size_t kSize = 2048;
    static_assert(model::eeprom::kMapEnd <= kSize);

    // Factory-fresh contents (see FactoryReset).
    MemoryImage();

    // A fresh device: analog output constants, signature, firmware number, switching outputs,
    // a blank note and a plain Pt100 0..100 °C configuration.
    void FactoryReset();

    // count bytes from address, or nothing when any of them lies beyond the image.
    std::optional<std::vector<Byte>> Read(std::size_t address, std::size_t count) const;
    // Stores all bytes or, when any would lie beyond the image, none; true when stored.
    bool Write(std::size_t address, std::span<const Byte> bytes);
    bool Contains(std::size_t address, std::size_t count) const {
        return address <= kSize && count <= kSize - address;
    }

    // Reals as the transmitter stores them (DevFloat). Out-of-image addresses read as nothing.
    std::optional<float> RealAt(std::size_t address) const;
    bool SetReal(std::size_t address, float value);

    std::span<const Byte> Bytes() const { return bytes_; }

    // Load replaces the image only when the whole file has been read and has exactly kSize bytes;
    // otherwise the image is unchanged and the message says why.
    FileResult Load(const std::filesystem::path& path);
    // Writes to a temporary file beside the target and renames it, so a failed save leaves the
    // previous file intact.
    FileResult Save(const std::filesystem::path& path) const;

private:
    std::array<Byte, kSize> bytes_{};
};

}  // namespace veld::sim
