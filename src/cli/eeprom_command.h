#pragma once

#include <functional>

#include "cli/command.h"
#include "link/link.h"

namespace veld::cli {

// veld-cli eeprom read ADDRESS COUNT
// veld-cli eeprom write ADDRESS HEXBYTES...
// Reads go out as "ReadEEPROM" requests of at most 16 bytes, writes as "WriteEEPROM" requests of
// at most 20; the bytes read are printed as upper-case hex pairs, 16 to a line.
class EepromCommand final : public Command {
public:
    using LinkProvider = std::function<link::Link&(std::ostream& err)>;
    explicit EepromCommand(LinkProvider provider) : provider_(std::move(provider)) {}

    std::string name() const override { return "eeprom"; }
    std::string usage() const override;
    int execute(const std::vector<std::string>& args, std::ostream& out,
                std::ostream& err) override;

    static constexpr int kReadChunk = 16;
    static constexpr int kWriteChunk = 20;

private:
    int read(link::Link& link, unsigned address, unsigned count, std::ostream& out,
             std::ostream& err);
    int write(link::Link& link, unsigned address, const std::vector<std::uint8_t>& bytes);

    LinkProvider provider_;
};

}  // namespace veld::cli
