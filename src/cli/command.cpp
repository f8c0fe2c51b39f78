#include "cli/command.h"

#include <QJsonDocument>
#include <cmath>

#include "session/session.h"

namespace veld::cli {

int ExitCodeOf(config::Outcome outcome) {
    return outcome == config::Outcome::Completed ? kSuccess : kFailure;
}

namespace {

TerminalPrompts::Answers AnswersFor(const Environment& environment, const Options& options) {
    if (options.yes)
        return TerminalPrompts::Answers::Yes;
    return environment.inputIsTerminal ? TerminalPrompts::Answers::Terminal
                                       : TerminalPrompts::Answers::No;
}

}  // namespace

Context::Context(const Environment& environment, const Options& options)
    : environment_(environment),
      options_(options),
      prompts_(environment.in, environment.err, AnswersFor(environment, options)) {}

Context::~Context() {
    if (session_ && environment_.onSessionEnd)
        environment_.onSessionEnd(*session_);
    operation_.reset();  // closes a port held open before the program goes
}

session::Session& Context::session() {
    if (!session_) {
        session::Options options;
        if (options_.port && *options_.port != kAutoPort)
            options.port = QString::fromStdString(*options_.port);
        options.settings = environment_.settings;
        options.clock = environment_.clock;
        // The command line takes the fast transfer only from --fast, never from the window.
        options.fastTransfer = options_.fast;
        options.listPorts = environment_.listPorts;
        session_ = std::make_unique<session::Session>(prompts_, std::move(options));
        if (options_.fast)
            operation_.emplace(session_->link());
        if (environment_.onSession)
            environment_.onSession(*session_);
    }
    return *session_;
}

bool Context::findPort() {
    session::Session& s = session();
    const session::PortSearch search = s.findTransmitter(
        [this](const session::PortTrial& trial) { err() << trial.line().toStdString() << '\n'; });
    err() << search.headline().toStdString() << '\n';
    // For this run only, as a port given by name.
    s.portChoice().setPersistent(false);
    return search.found.has_value();
}

QList<link::PortInfo> Context::listPorts() const {
    return environment_.listPorts ? environment_.listPorts() : link::SystemSerialPorts();
}

QJsonValue JsonNumber(double value) {
    return std::isfinite(value) ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
}

void Context::writeJson(const QJsonObject& object) {
    out() << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() << '\n'
          << std::flush;
}

int Command::usageError(Context& context, const std::string& why) const {
    context.err() << why << "; " << usage() << '\n';
    return kUsage;
}

}  // namespace veld::cli
