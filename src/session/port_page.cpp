#include "session/port_page.h"

#include "link/serial_transport.h"
#include "session/port_router.h"

#include <QSerialPortInfo>
#include <string>

using namespace Qt::Literals::StringLiterals;

namespace veld::session {

PortPage::PortPage(config::MainWindowModel& model, link::PortChoice& choice,
                   std::function<void()> portChanged)
    : model_(model), choice_(choice), portChanged_(std::move(portChanged)) {
    config::ComPage& page = model_.com();
    // What the user picks is remembered again, also after a port given for one run only.
    page.comPortChosen = [this](int index) {
        choice_.setPersistent(true);
        choice_.selectCom(index);
        if (portChanged_)
            portChanged_();
    };
    page.otherPortChosen = [this](const QString& port) {
        choice_.setPersistent(true);
        // The simulator is a choice for this run only; a device is remembered once it opens.
        if (port == kSimulatorCaption)
            choice_.selectOther(QString::fromLatin1(PortRouter::kSimulatorPort), false);
        else
            choice_.selectOther(port);
        if (portChanged_)
            portChanged_();
    };
}

PortPage::~PortPage() {
    model_.com().comPortChosen = nullptr;
    model_.com().otherPortChosen = nullptr;
}

void PortPage::refresh(const QStringList& systemPorts) {
    QStringList ports = systemPorts;
    const QString chosen = choice_.otherPort();
    if (!chosen.isEmpty() && chosen != QLatin1StringView(PortRouter::kSimulatorPort) &&
        !ports.contains(chosen))
        ports.append(chosen);
    ports.append(kSimulatorCaption);
    model_.com().setOtherPorts(ports);
    model_.notifyChanged();
}

void PortPage::showChoice() {
    const QString other = choice_.otherPort();
    if (other.isEmpty())
        model_.com().selectCom(choice_.comIndex());
    else if (other == QLatin1StringView(PortRouter::kSimulatorPort))
        model_.com().selectOther(kSimulatorCaption);
    else
        model_.com().selectOther(other);
    model_.notifyChanged();
}

QStringList PortPage::SystemPorts() {
    QStringList comNames;
    for (int n = 1; n <= link::PortChoice::kComCount; ++n)
        comNames.append(link::SystemPortName("COM" + std::to_string(n)));
    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (comNames.contains(info.systemLocation()) || comNames.contains(info.portName()))
            continue;
        if (!ports.contains(info.systemLocation()))
            ports.append(info.systemLocation());
    }
    ports.sort();
    return ports;
}

}  // namespace veld::session
