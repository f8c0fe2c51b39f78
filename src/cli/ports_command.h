#pragma once

#include "cli/command.h"

namespace veld::cli {

// veld-cli [--json] ports
// The serial ports the system lists, with what it knows of them: one line each, tab-separated
// (port, description, maker, USB vendor:product in hex, serial number; "-" where unknown), or
// with --json {"ports": [{"port", "description", "manufacturer", "vendorId", "productId",
// "serialNumber"}]} with the numbers as numbers and null where unknown. Opens no port.
class PortsCommand final : public Command {
public:
    std::string name() const override { return "ports"; }
    std::string usage() const override;
    std::string help() const override;
    int execute(const std::vector<std::string>& args, Context& context) override;
    bool usesTransmitter() const override { return false; }
};

}  // namespace veld::cli
