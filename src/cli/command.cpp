#include "cli/command.h"

#include <QJsonDocument>
#include <cmath>
#include <csignal>

#include "cli/messages.h"
#include "session/session.h"

using namespace Qt::Literals::StringLiterals;

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
        if (environment_.interruption)
            session_->link().interrupted = [this] { return refuseTransaction(); };
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

std::string TerminalText(const QString& text) {
    QString shown;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            shown += u"\\x"_s + QString::number(u, 16).rightJustified(2, u'0').toUpper();
        else
            shown += c;
    }
    return shown.toStdString();
}

void Context::writeJson(const QJsonObject& object) {
    out() << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() << '\n'
          << std::flush;
}

int Context::interruption() const {
    return environment_.interruption ? environment_.interruption() : 0;
}

bool Context::refuseTransaction() {
    judgeLastTransaction();
    if (interruption() != 0) {
        traffic_.refused = true;
        return true;
    }
    // After the preamble, the delimiter and the long address: the command, the byte count, then
    // the data, which for an EEPROM command begin with the address, high byte first.
    constexpr std::size_t kCommandAt = link::kPreambleLength + 1 + link::DeviceAddress.size();
    const auto frame = session_->link().request();
    const auto command = link::FindCommand(frame[kCommandAt]);
    const bool addressed = command && (command->layout == link::DataLayout::A16Count ||
                                       command->layout == link::DataLayout::A16CountData);
    traffic_.pending = {frame[kCommandAt],
                        addressed ? frame[kCommandAt + 2] << 8 | frame[kCommandAt + 3] : -1};
    return false;
}

void Context::judgeLastTransaction() {
    if (!traffic_.pending)
        return;
    if (session_->link().lastResult() == link::TransactionResult::Success) {
        ++traffic_.confirmed;
        traffic_.last = traffic_.pending;
        const QString name = link::CommandName(traffic_.last->first);
        if (name == u"Stop")
            traffic_.stopped = true;
        else if (name == u"Reset" || name == u"Continue")
            traffic_.stopped = false;
    }
    traffic_.pending.reset();
}

int Context::reportInterruption(int signal) {
    std::ostream& err = environment_.err;
    err << kMsgInterruptedBy
        << (signal == SIGINT    ? "SIGINT"
            : signal == SIGTERM ? "SIGTERM"
                                : std::to_string(signal));
    if (session_) {
        judgeLastTransaction();
        err << kMsgConfirmedTransfers << traffic_.confirmed;
        if (const auto& last = traffic_.last) {
            err << kMsgLastTransfer << link::CommandName(last->first).toStdString();
            if (last->second >= 0)
                err << kMsgAtAddress << last->second;
            err << ')';
        }
        err << kMsgProgress << session_->model().form.Prenos.position << " %";
        if (traffic_.refused)
            err << kMsgNotSentFurther;
    }
    err << ".\n";
    if (traffic_.stopped) {
        err << kMsgLeftStopped << '\n';
    }
    err << std::flush;
    return 128 + signal;
}

int Command::usageError(Context& context, const std::string& why) const {
    context.err() << why << "; " << usage() << '\n';
    return kUsage;
}

}  // namespace veld::cli
