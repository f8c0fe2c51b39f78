#pragma once

#include "cli/model_command.h"

namespace veld::cli {

// veld-cli correction [VALUE]
// The PV correction at its own place (120): "&Přečíst korekci" without VALUE, "&Uložit korekci"
// with it.
class CorrectionCommand final : public ModelCommand {
public:
    std::string name() const override { return "correction"; }
    std::string usage() const override;
    std::string help() const override;

protected:
    int run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) override;
};

}  // namespace veld::cli
