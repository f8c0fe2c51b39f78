#pragma once

// The serial ports the system has, with what it knows of them. A function so that the search
// for the transmitter and the command line can be given another list (tests).

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace veld::link {

struct PortInfo {
    QString port;  // what the transport opens: "/dev/ttyUSB0", "COM3"
    QString description;
    QString manufacturer;
    QString serialNumber;
    std::optional<unsigned> vendorId;  // USB vendor and product numbers, when known
    std::optional<unsigned> productId;
};

using PortLister = std::function<QList<PortInfo>()>;

// What the system lists, in its order.
QList<PortInfo> SystemSerialPorts();

// The name the port choice knows a port by: "COM3" for the device behind COM3 (on Linux
// /dev/ttyS2), the port itself otherwise.
QString ChoiceName(const QString& port);

}  // namespace veld::link
