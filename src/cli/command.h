#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace veld::cli {

// Exit codes shared by every command of veld-cli.
enum ExitCode : int { kSuccess = 0, kFailure = 1, kUsage = 2 };

// One command of the command-line tool. `args` are the words after the command's own name
// (for "veld-cli lin spline 1 -200 1370" the lin command gets {"spline", "1", "-200", "1370"}).
// Output goes to the injected streams so tests can capture it; text is UTF-8.
class Command {
public:
    virtual ~Command() = default;
    virtual std::string name() const = 0;
    virtual std::string usage() const = 0;  // one line, shown on a usage error
    virtual int execute(const std::vector<std::string>& args, std::ostream& out,
                        std::ostream& err) = 0;
};

}  // namespace veld::cli
