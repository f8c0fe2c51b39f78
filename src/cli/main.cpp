// veld-cli: the command-line front end. It drives the same engine as the window.

#include <QCoreApplication>
#include <QStringList>
#include <iostream>
#include <map>
#include <memory>
#include <optional>

#include "cli/commands.h"
#include "cli/link_session.h"

namespace {

void PrintHelp(std::ostream& os, const std::vector<std::unique_ptr<veld::cli::Command>>& commands) {
    os << "veld-cli [--port PORT] COMMAND ...\n"
          "PORT is COM1..COM8, a device path or a pseudo-terminal; default: the remembered port.\n";
    for (const auto& c : commands)
        os << "  " << c->usage() << '\n';
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("KT"));
    QCoreApplication::setApplicationName(QStringLiteral("VELD"));

    std::vector<std::string> args;
    const QStringList qargs = QCoreApplication::arguments();
    for (qsizetype i = 1; i < qargs.size(); ++i)
        args.push_back(qargs[i].toStdString());

    std::optional<std::string> port;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        if (args[i] == "--port") {
            if (i + 1 >= args.size()) {
                std::cerr << "--port needs a port name; try veld-cli --help\n";
                return veld::cli::kUsage;
            }
            port = args[++i];
        } else if (args[i].rfind("--port=", 0) == 0) {
            port = args[i].substr(7);
        } else {
            break;
        }
    }

    veld::cli::LinkSession session(port);
    auto commands = veld::cli::MakeCommands(session);
    if (i >= args.size() || args[i] == "--help" || args[i] == "-h" || args[i] == "help") {
        const bool asked = i < args.size();
        PrintHelp(asked ? std::cout : std::cerr, commands);
        return asked ? veld::cli::kSuccess : veld::cli::kUsage;
    }
    for (auto& command : commands) {
        if (command->name() == args[i]) {
            const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                                args.end());
            return command->execute(rest, std::cout, std::cerr);
        }
    }
    std::cerr << "unknown command '" << args[i] << "'; try veld-cli --help\n";
    return veld::cli::kUsage;
}
