#pragma once

#include "cli/model_command.h"

namespace veld::cli {

// veld-cli calibrate lower|upper
// The window's whole read, then "Nastavení dolní meze" or "Nastavení horní meze": with the
// reference signal applied, the transmitter takes the present value as the new range end.
class CalibrateCommand final : public ModelCommand {
public:
    std::string name() const override { return "calibrate"; }
    std::string usage() const override;
    std::string help() const override;

protected:
    int run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) override;
};

}  // namespace veld::cli
