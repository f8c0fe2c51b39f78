#pragma once

#include "cli/model_command.h"
#include "config/config_compare.h"

namespace veld::cli {

// veld-cli diff FILE: the transmitter's configuration against a configuration file.
class DiffCommand final : public ModelCommand {
public:
    std::string name() const override { return "diff"; }
    std::string usage() const override;
    std::string help() const override;

protected:
    int run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) override;
};

// Prints the differences (text, or with --json one object); kSuccess when there are none.
int ReportDifferences(const std::vector<config::FieldDifference>& differences, Context& context);

}  // namespace veld::cli
