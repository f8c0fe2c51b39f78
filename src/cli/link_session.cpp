#include "cli/link_session.h"

#include <QRegularExpression>

namespace veld::cli {

void SelectPort(link::PortChoice& choice, const std::string& name) {
    static const QRegularExpression com(QStringLiteral("^COM([1-8])$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QString qname = QString::fromStdString(name);
    const auto match = com.match(qname);
    if (match.hasMatch()) {
        choice.selectCom(match.captured(1).toInt() - 1);
    } else {
        choice.selectOther(qname);
    }
}

link::Link& LinkSession::link(std::ostream& err) {
    if (link_)
        return *link_;
    settings_ = std::make_unique<QSettings>(QStringLiteral("KT"), QStringLiteral("VELD"));
    transport_ = std::make_unique<link::SerialTransport>();
    clock_ = std::make_unique<link::RealClock>();
    prompts_ = std::make_unique<StreamPrompts>(err);
    if (port_) {
        SelectPort(choice_, *port_);
        choice_.setPersistent(false);
    } else {
        choice_.restore(*settings_);
    }
    link_ = std::make_unique<link::Link>(*transport_, *clock_, *prompts_, choice_, *settings_);
    return *link_;
}

}  // namespace veld::cli
