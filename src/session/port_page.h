#pragma once

#include "config/main_window_model.h"
#include "link/port_choice.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace veld::session {

// The page "Komunikace" wired to the port choice: COM1..COM8 in "Nast COM" and, beside them, the
// other ports the system has and the simulated transmitter. A choice made by the user goes to
// the port choice and tells the link to reopen at the next transaction.
class PortPage {
public:
    static inline const QString kSimulatorCaption = QStringLiteral("Simulovaný převodník");

    PortPage(config::MainWindowModel& model, link::PortChoice& choice,
             std::function<void()> portChanged);
    ~PortPage();
    PortPage(const PortPage&) = delete;
    PortPage& operator=(const PortPage&) = delete;

    // Offers these ports and the simulator beside COM1..COM8; a chosen port the system no longer
    // reports stays offered so that the choice remains visible.
    void refresh(const QStringList& systemPorts);
    // Selects on the page the port the choice holds, without running the page's handlers.
    void showChoice();

    // The ports the system reports, except those that COM1..COM8 already name.
    static QStringList SystemPorts();

private:
    config::MainWindowModel& model_;
    link::PortChoice& choice_;
    std::function<void()> portChanged_;
};

}  // namespace veld::session
