#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/terminal_prompts.h"
#include "config/outcome.h"
#include "link/link.h"
#include "link/port_list.h"

class QSettings;

namespace veld::link {
class Clock;
}
namespace veld::session {
class Session;
}

namespace veld::cli {

// Exit codes shared by every command of veld-cli.
enum ExitCode : int { kSuccess = 0, kFailure = 1, kUsage = 2 };

// The exit status of a handler's outcome: a question answered No did not do what was asked.
int ExitCodeOf(config::Outcome outcome);

// What veld-cli runs in: its streams and what the program is built on. main() passes the
// process's; tests pass their own streams, settings and a virtual clock.
struct Environment {
    Environment(std::istream& input, std::ostream& output, std::ostream& errors, bool terminal)
        : in(input), out(output), err(errors), inputIsTerminal(terminal) {}

    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool inputIsTerminal;
    QSettings* settings = nullptr;  // default: the user's
    link::Clock* clock = nullptr;   // default: the real clock
    link::PortLister listPorts;     // default: the system's serial ports
    // Run once the program is built and before it is taken down (tests: the simulator).
    std::function<void(session::Session&)> onSession;
    std::function<void(session::Session&)> onSessionEnd;
    // The signal (SIGINT, SIGTERM) that asked the run to stop, 0 while none has: main's handler,
    // a test's own flag. Asked before each transaction; once it is raised none is sent.
    std::function<int()> interruption;
};

// The global options.
struct Options {
    std::optional<std::string> port;  // --port; "auto" searches the listed ports
    bool yes = false;                 // --yes
    bool json = false;                // --json
    bool fast = false;                // --fast: the whole command holds the port open
};

// The --port value that has the transmitter searched for.
inline constexpr const char* kAutoPort = "auto";

// What a command runs with: the streams, the global options and the program, built on first use
// (a command that needs no transmitter never touches the settings).
class Context {
public:
    Context(const Environment& environment, const Options& options);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    std::ostream& out() { return environment_.out; }
    std::ostream& err() { return environment_.err; }
    bool json() const { return options_.json; }
    TerminalPrompts& prompts() { return prompts_; }
    session::Session& session();
    // --port auto: tries the listed ports, a line each on the error stream, and takes the first
    // that answers as the transmitter. False, having said so, when none does.
    bool findPort();
    // The serial ports the system lists (Environment::listPorts).
    QList<link::PortInfo> listPorts() const;

    // One JSON object on one line of standard output, written by QJsonDocument.
    void writeJson(const QJsonObject& object);

    // The signal that asked the run to stop; 0 while none has.
    int interruption() const;
    // Says on the error stream how far the run got before the signal stopped it; returns the
    // exit status, 128 + the signal.
    int reportInterruption(int signal);

private:
    // The transactions of this run, as far as an interrupted run reports them.
    struct Traffic {
        int confirmed = 0;                                          // ended with a reply
        std::optional<std::pair<std::uint8_t, int>> pending, last;  // command and address
        bool stopped = false;  // "Stop" confirmed, and no "Reset" or "Continue" after it
        bool refused = false;  // one was not sent for the signal
    };
    bool refuseTransaction();
    void judgeLastTransaction();

    const Environment& environment_;
    const Options& options_;
    TerminalPrompts prompts_;
    std::unique_ptr<session::Session> session_;
    Traffic traffic_;
    // --fast: one operation from the first transaction to the end of the command.
    std::optional<link::HeldPort> operation_;
};

// A number for Context::writeJson: a single travels as its exact double (0.1f is written
// 0.10000000149011612, the very value the transmitter receives); what JSON cannot hold (an
// infinity, not a number) is null.
QJsonValue JsonNumber(double value);

// Text from the transmitter for a terminal: control characters (C0, DEL and C1, which a note can
// hold) as \xHH, so that printing it cannot retitle the terminal or clear its screen. JSON
// escapes them itself.
std::string TerminalText(const QString& text);

// One command of the command-line tool. `args` are the words after the command's own name
// (for "veld-cli lin spline 1 -200 1370" the lin command gets {"spline", "1", "-200", "1370"}).
// Output goes to the context's streams; text is UTF-8.
class Command {
public:
    virtual ~Command() = default;
    virtual std::string name() const = 0;
    // One line, "usage: veld-cli ...", shown on a usage error and in the tool's help.
    virtual std::string usage() const = 0;
    // What `veld-cli COMMAND --help` prints after the usage line.
    virtual std::string help() const = 0;
    virtual int execute(const std::vector<std::string>& args, Context& context) = 0;
    // Whether the command talks to the transmitter (and so needs --port auto resolved first).
    virtual bool usesTransmitter() const { return true; }

protected:
    // Prints why and the usage line on the error stream; returns kUsage.
    int usageError(Context& context, const std::string& why) const;
};

}  // namespace veld::cli
