#pragma once

#include <cstdint>
#include <sstream>
#include <string_view>
#include <vector>

namespace veld::model::testing {

// "21 03 91 01" as bytes; the expectations are written as the documentation prints them.
inline std::vector<std::uint8_t> Hex(std::string_view text) {
    std::vector<std::uint8_t> out;
    std::istringstream in{std::string(text)};
    unsigned value = 0;
    while (in >> std::hex >> value)
        out.push_back(static_cast<std::uint8_t>(value));
    return out;
}

}  // namespace veld::model::testing
