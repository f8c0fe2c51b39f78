#pragma once

// Calls on the engine that only tests make.

#include <cstdint>

#include "link/link.h"

namespace veld::testing {

// ReadEEPROM of count bytes at address; true when the transaction failed.
inline bool ReadKonst(link::Link& link, std::uint16_t address, std::uint8_t count) {
    link.BuildRequest("ReadEEPROM", address, count);
    return link.SendAndWait();
}

}  // namespace veld::testing
