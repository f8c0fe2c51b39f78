#include "cli/cli.h"

#include <algorithm>
#include <optional>

#include "cli/commands.h"
#include "cli/messages.h"
#include "cli/trace.h"
#include "session/session.h"

namespace veld::cli {

namespace {

constexpr const char* kTryHelp = "; try veld-cli --help\n";

void PrintHelp(std::ostream& os, const std::vector<std::unique_ptr<Command>>& commands) {
    os << "usage: veld-cli [--port PORT] [--fast] [--yes] [--json] [--trace] [--trace-file FILE]\n"
          "                COMMAND ...\n"
          "  --port PORT  COM1..COM8, a device path, a pseudo-terminal, or \"sim\" for the\n"
          "               built-in simulated transmitter; for this run only (not remembered).\n"
          "               \"auto\": the first port of \"veld-cli ports\" whose device answers\n"
          "               as the transmitter (a line for each port tried on standard error).\n"
          "               Default: the port the window last opened successfully.\n"
          "  --fast       fast transfer: the port stays open for the whole command, so no\n"
          "               transaction but the first waits for it to open and settle. The\n"
          "               requests are the same. Not taken from the window's setting.\n"
          "  --yes        answer Yes to every question. Without it each question is asked on\n"
          "               the terminal, and answered No when there is none.\n"
          "  --json       print the result as one JSON object.\n"
          "  --trace      print each transaction on standard error, one line each, with the\n"
          "               meaning of the data where the address map knows the address.\n"
          "  --trace-file FILE\n"
          "               append each transaction to FILE as one JSON object a line.\n"
          "Questions, the answers taken and messages go to standard error. Exit status: 0 done,\n"
          "1 stopped (a message, a failed transaction, a question answered No, output that\n"
          "could not be written), 2 usage error, 130 or 143 interrupted by SIGINT or SIGTERM\n"
          "(the transaction on the line finishes; a second signal ends at once).\n"
          "Commands (veld-cli COMMAND --help for more):\n";
    for (const auto& c : commands)
        os << "  " << c->usage() << '\n';
}

bool AsksForHelp(const std::string& word) {
    return word == "--help" || word == "-h";
}

int RunCommand(const std::vector<std::string>& args, const Environment& environment) {
    std::ostream& err = environment.err;
    Options options;
    // --trace and --trace-file, which the commands never see.
    bool traceLines = false;
    std::optional<std::string> traceFile;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--port" || word.rfind("--port=", 0) == 0) {
            std::string port;
            if (word == "--port") {
                if (i + 1 >= args.size()) {
                    err << "--port needs a port name" << kTryHelp;
                    return kUsage;
                }
                port = args[++i];
            } else {
                port = word.substr(7);
            }
            // An empty name is no port; opening COM1 instead would talk to the wrong device.
            if (!session::Session::IsValidPort(QString::fromStdString(port))) {
                err << "--port needs a port name, not an empty one" << kTryHelp;
                return kUsage;
            }
            options.port = port;
        } else if (word == "--yes" || word == "-y") {
            options.yes = true;
        } else if (word == "--json") {
            options.json = true;
        } else if (word == "--trace") {
            traceLines = true;
        } else if (word == "--trace-file" || word.rfind("--trace-file=", 0) == 0) {
            if (word == "--trace-file" && i + 1 >= args.size()) {
                err << "--trace-file needs a file name" << kTryHelp;
                return kUsage;
            }
            traceFile = word == "--trace-file" ? args[++i] : word.substr(13);
            if (traceFile->empty()) {
                err << "--trace-file needs a file name, not an empty one" << kTryHelp;
                return kUsage;
            }
        } else if (word == "--fast") {
            options.fast = true;
        } else if (word.size() > 1 && word[0] == '-' && !AsksForHelp(word)) {
            err << "unknown option '" << word << "'" << kTryHelp;
            return kUsage;
        } else {
            break;
        }
    }

    const auto commands = MakeCommands();
    if (i >= args.size()) {
        PrintHelp(err, commands);
        return kUsage;
    }
    if (AsksForHelp(args[i]) || args[i] == "help") {
        PrintHelp(environment.out, commands);
        return kSuccess;
    }
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const auto& c) { return c->name() == args[i]; });
    if (command == commands.end()) {
        err << "unknown command '" << args[i] << "'" << kTryHelp;
        return kUsage;
    }
    const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                        args.end());
    if (std::any_of(rest.begin(), rest.end(), AsksForHelp)) {
        environment.out << (*command)->usage() << '\n' << (*command)->help();
        return kSuccess;
    }
    // Open before anything is sent: a trace that cannot be kept stops the run.
    Trace trace(err);
    if (traceLines)
        trace.showLines();
    if (traceFile && !trace.openFile(*traceFile))
        return kFailure;
    Environment traced = environment;
    traced.onSession = [&](session::Session& s) {
        if (environment.onSession)
            environment.onSession(s);
        trace.attach(s.link());
    };
    Context context(traced, options);
    if (options.port == kAutoPort && (*command)->usesTransmitter() && !context.findPort())
        return kFailure;
    const int exit = (*command)->execute(rest, context);
    if (const int signal = context.interruption())
        return context.reportInterruption(signal);
    return exit;
}

}  // namespace

int Run(const std::vector<std::string>& args, const Environment& environment) {
    int exit = RunCommand(args, environment);
    // A full disk, /dev/full or a closed standard output: what was printed is lost, and a script
    // reading it must not take the run for a success.
    if (!environment.out.flush()) {
        environment.err << kMsgOutputLost << '\n' << std::flush;
        if (exit == kSuccess)
            exit = kFailure;
    }
    return exit;
}

}  // namespace veld::cli
