#pragma once

// The search for the transmitter: each port the system lists gets a read of the device-type
// signature (ReadEEPROM 257 2, as every transaction sends it); the first port whose reply holds
// 0D E5 is chosen. Ports that cannot be opened or do not answer are passed over without a
// message box; each trial is reported as a line for the user.

#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "link/device_access.h"
#include "link/port_choice.h"
#include "link/port_list.h"

namespace veld::session {

struct PortTrial {
    QString port;    // as the port choice names it ("COM1", "/dev/ttyUSB0")
    QString device;  // as the system lists it ("/dev/ttyS0", "/dev/ttyUSB0")
    bool found = false;
    QString outcome;  // "převodník odpovídá", "neodpovídá", "nelze otevřít; …"

    // "COM1 (/dev/ttyS0)", "/dev/ttyUSB0"
    QString label() const {
        return device == port ? port : port + QStringLiteral(" (") + device + u')';
    }
    // "/dev/ttyUSB0: neodpovídá"
    QString line() const { return label() + QStringLiteral(": ") + outcome; }
};

struct PortSearch {
    QList<PortTrial> trials;
    std::optional<QString> found;  // the port choice's name
    QString foundLabel;            // as PortTrial::label()

    // The port found, or that there is none.
    QString headline() const;
    // The same, and when nothing was found, what each port tried said.
    QString summary() const;
};

// Tries the ports in order. Found: the choice holds that port, for the next transaction (its
// persistence as before). Not found: the choice is as it was.
PortSearch FindTransmitter(link::DeviceAccess& device, link::PortChoice& choice,
                           const QList<link::PortInfo>& ports,
                           const std::function<void(const PortTrial&)>& tried = {});

}  // namespace veld::session
