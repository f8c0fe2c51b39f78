#include "session/port_finder.h"

#include <QStringList>

#include "link/link.h"
#include "session/messages.h"
#include "session/session.h"

namespace veld::session {

namespace {

constexpr std::uint16_t kSignatureAddress = 257;
const std::vector<link::Byte> kSignature{0x0D, 0xE5};

QString HexBytes(const std::vector<link::Byte>& bytes) {
    QStringList hex;
    for (link::Byte b : bytes)
        hex << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return hex.join(u' ');
}

// What a trial that found nothing says, from the engine's verdict.
QString Failure(const link::Link& link, const link::AccessFailure& failure) {
    using Kind = link::AccessFailure::Kind;
    if (failure.kind != Kind::Transaction)
        return kTrialUnintelligible.arg(failure.describe());
    switch (link.lastResult()) {
        case link::TransactionResult::CannotOpen: {
            // Below the usual text the transport may say why (held by another program, no access).
            const QString why = link.lastMessage().section(u'\n', 1);
            return why.isEmpty() ? kTrialCannotOpen : kTrialCannotOpen + QStringLiteral("; ") + why;
        }
        case link::TransactionResult::NoAnswer:
            return kTrialNoAnswer;
        default:
            return kTrialPortError;
    }
}

}  // namespace

QString PortSearch::headline() const {
    if (found)
        return kMsgFoundOnPort.arg(foundLabel);
    if (trials.isEmpty())
        return kMsgNoPortListed;
    return kMsgNotFound;
}

QString PortSearch::summary() const {
    QString text = headline();
    if (!found)
        for (const PortTrial& trial : trials)
            text += u'\n' + trial.line();
    return text;
}

PortSearch FindTransmitter(link::DeviceAccess& device, link::PortChoice& choice,
                           const QList<link::PortInfo>& ports,
                           const std::function<void(const PortTrial&)>& tried) {
    link::Link& link = device.link();
    const link::PortChoice before = choice;
    // Nothing tried is remembered; the caller decides about the port found.
    choice.setPersistent(false);
    link.setQuiet(true);
    PortSearch search;
    for (const link::PortInfo& info : ports) {
        PortTrial trial{link::ChoiceName(info.port), info.port, false, {}};
        Session::SelectPort(choice, trial.port);
        link.SetComClick();
        const auto reply =
            device.readBytes(kSignatureAddress, static_cast<std::uint8_t>(kSignature.size()));
        trial.found = reply && *reply == kSignature;
        if (!reply)
            trial.outcome = Failure(link, reply.failure());
        else if (!trial.found)
            trial.outcome = kTrialOtherDevice.arg(HexBytes(*reply));
        else
            trial.outcome = kTrialFound;
        search.trials.append(trial);
        if (tried)
            tried(trial);
        if (trial.found) {
            search.found = trial.port;
            search.foundLabel = trial.label();
            break;
        }
    }
    link.setQuiet(false);
    if (search.found) {
        choice.setPersistent(before.persistent());
    } else {
        choice = before;
        link.SetComClick();
    }
    return search;
}

}  // namespace veld::session
