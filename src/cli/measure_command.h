#pragma once

#include "cli/model_command.h"

namespace veld::cli {

// veld-cli measure [--count N] [--interval S]
// The whole read first (the window enables measurement only after one), then N clicks on
// "Změřit", S seconds from the start of one to the start of the next. Each measurement is one
// line: the value as the window shows it (an empty line when it failed), or with --json one
// object with the value, the unit and the request and reply bytes.
class MeasureCommand final : public ModelCommand {
public:
    static constexpr long kMaxCount = 1'000'000;
    static constexpr double kMaxInterval = 86'400.0;  // a day

    std::string name() const override { return "measure"; }
    std::string usage() const override;
    std::string help() const override;

protected:
    int run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) override;
};

}  // namespace veld::cli
