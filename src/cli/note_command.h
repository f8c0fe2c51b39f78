#pragma once

#include "cli/model_command.h"

namespace veld::cli {

// veld-cli note          reads the user note ("Přečíst")
// veld-cli note TEXT     writes it ("Uložit")
class NoteCommand final : public ModelCommand {
public:
    std::string name() const override { return "note"; }
    std::string usage() const override;
    std::string help() const override;

protected:
    int run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) override;
};

}  // namespace veld::cli
