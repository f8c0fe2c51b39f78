#pragma once

#include "cli/command.h"

namespace veld::cli {

// veld-cli eeprom read ADDRESS COUNT
// veld-cli eeprom write ADDRESS HEXBYTES...
// Reads go out as "ReadEEPROM" requests of at most 16 bytes, writes as "WriteEEPROM" requests of
// at most 20; the bytes read are printed as upper-case hex pairs, 16 to a line (with --json, one
// object with the address and the bytes). Only what the transmitter confirmed counts: a reply
// with a response code other than 0 fails with a message that names the code.
class EepromCommand final : public Command {
public:
    std::string name() const override { return "eeprom"; }
    std::string usage() const override;
    std::string help() const override;
    int execute(const std::vector<std::string>& args, Context& context) override;

    static constexpr int kReadChunk = 16;
    static constexpr int kWriteChunk = 20;

private:
    int read(Context& context, unsigned address, unsigned count);
    int write(Context& context, unsigned address, const std::vector<std::uint8_t>& bytes);
};

}  // namespace veld::cli
