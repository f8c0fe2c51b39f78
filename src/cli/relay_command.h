#pragma once

#include "cli/model_command.h"

namespace veld::cli {

// veld-cli relay K                 reads comparator K (1..4) and prints its values
// veld-cli relay K --enable [--on X] [--off Y] [--delay-on S] [--delay-off S] [--mode M]
// veld-cli relay K --disable [...]
// The page "Relé" as a user drives it: the values are typed into comparator K's edits and
// left, the enable box is ticked or cleared and "Uložit" is clicked; the save sends exactly what
// the window's does, after the window's own checks and question.
class RelayCommand final : public ModelCommand {
public:
    std::string name() const override { return "relay"; }
    std::string usage() const override;
    std::string help() const override;

protected:
    int run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) override;

private:
    int read(int k, ModelDriver& driver, Context& context);
};

}  // namespace veld::cli
