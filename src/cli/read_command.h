#pragma once

#include "cli/model_command.h"

namespace veld::cli {

// veld-cli read [--save FILE]
// The window's "&Přečíst z převodníku"; prints the configuration as the lines the configuration
// file would hold. --save also saves the file as the window's "Uložit" does.
class ReadCommand final : public ModelCommand {
public:
    std::string name() const override { return "read"; }
    std::string usage() const override;
    std::string help() const override;

protected:
    int run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) override;
};

}  // namespace veld::cli
