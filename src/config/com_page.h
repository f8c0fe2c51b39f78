#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "config/outcome.h"

namespace veld::config {

struct MainForm;

// The page "Komunikace": COM1..COM8 in `SetCom` and, beside them, the other ports the system
// has and the simulated transmitter. The model keeps only the choice; the application binds
// the hooks to the link, which opens the port and remembers it.
class ComPage {
public:
    explicit ComPage(MainForm& form) : form_(form) {}

    // Click in `SetCom`: the next transaction opens the chosen COM port.
    void SetComClick();
    // Click in the list of other ports.
    void DalsiPortyClick();
    // The check box "Rychlý přenos" was ticked or cleared.
    void RychlyPrenosClick();
    // "Najít převodník": the application tries the ports and selects the one that answers.
    Outcome NajitPrevodnikClick();

    // Filled by the application (device paths, the simulator entry); the chosen other port
    // stays chosen.
    void setOtherPorts(const QStringList& ports);
    // Restoring the remembered choice at start: selects without running the hooks.
    void selectCom(int index);
    void selectOther(const QString& port);

    std::function<void(int comIndex)> comPortChosen;           // 0..7
    std::function<void(const QString& port)> otherPortChosen;  // an item of the other ports
    std::function<void(bool on)> fastTransferChosen;
    std::function<Outcome()> findTransmitter;

private:
    MainForm& form_;
};

}  // namespace veld::config
