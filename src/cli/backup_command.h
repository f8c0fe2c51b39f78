#pragma once

#include "cli/model_command.h"

namespace veld::cli {

// veld-cli backup FILE: every area of the memory the program writes, saved to FILE.
class BackupCommand final : public ModelCommand {
public:
    std::string name() const override { return "backup"; }
    std::string usage() const override;
    std::string help() const override;

protected:
    int run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) override;
};

// veld-cli restore FILE: the areas of a backup written back.
class RestoreCommand final : public ModelCommand {
public:
    std::string name() const override { return "restore"; }
    std::string usage() const override;
    std::string help() const override;

protected:
    int run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) override;
};

}  // namespace veld::cli
