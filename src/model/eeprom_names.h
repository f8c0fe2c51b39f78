#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "model/code_tables.h"
#include "model/eeprom_map.h"

// What the bytes at an EEPROM address mean, in words: the items of the address map with Czech
// names (those of the configuration file where it has them), so that the traffic inspector can
// say "tlumení 0.5 s" instead of four bytes. Standard library only.
namespace veld::model {

enum class ItemKind {
    Real,   // one DevFloat
    Reals,  // several DevFloats
    Range,  // two DevFloats, low then high: "rozsah 0 … 100"
    Byte,   // a number
    Code,   // a code with its text from `codes`
    Input,  // the input type code with its name
    Relay,  // a comparator's mode bits
    Hex,    // bytes in hexadecimal
    Words,  // 16-bit words, high byte first, in hexadecimal
    Text,   // one byte a character, padded with blanks
};

struct NamedItem {
    eeprom::Item item;
    std::string name;
    ItemKind kind = ItemKind::Hex;
    std::string_view unit;              // after a number: "s", "mA"
    std::span<const CodeText> codes{};  // Code
    std::string lowName, highName;      // Range: the halves, when only one is touched
};

// Every named item, in address order; no two overlap.
std::span<const NamedItem> NamedItems();

// UTF-8 of bytes the transmitter keeps as text; the code page is not the model's business.
using TextDecoder = std::function<std::string(std::span<const std::uint8_t>)>;

// The meaning of `bytes` lying from `address` on, item by item and separated by "; ": "tlumení
// 0.5 s", "rozsah 0 … 100", "poznámka (znaky 21–40) „…“" for an item touched only in part. Bytes
// of no named item are left out; empty when no named item is touched. Without a text decoder,
// bytes above 0x7E show as '?'.
std::string DescribeEeprom(std::uint16_t address, std::span<const std::uint8_t> bytes,
                           const TextDecoder& text = {});

// A "ReadPV" reply payload (unit code, PvFloat): "21.5 °C"; empty when it holds too few bytes.
std::string DescribeProcessValue(std::span<const std::uint8_t> payload);

}  // namespace veld::model
