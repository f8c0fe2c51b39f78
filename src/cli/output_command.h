#pragma once

#include "cli/model_command.h"

namespace veld::cli {

// veld-cli output               reads the analog output range ("&Přečíst z převodníku")
// veld-cli output LO HI [--read] saves it ("&Uložit do převodníku")
// The page "Konf. an. výstupu" as a user drives it. The save, as in the window, needs the input
// type of a configuration read before; --read runs the whole read first.
class OutputCommand final : public ModelCommand {
public:
    std::string name() const override { return "output"; }
    std::string usage() const override;
    std::string help() const override;

protected:
    int run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) override;
};

}  // namespace veld::cli
