#include "link/port_list.h"

#include <QSerialPortInfo>
#include <string>

#include "link/port_choice.h"
#include "link/serial_transport.h"

namespace veld::link {

QList<PortInfo> SystemSerialPorts() {
    QList<PortInfo> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortInfo port;
#ifdef Q_OS_WIN
        port.port = info.portName();  // "COM3"; the location is "\\.\COM3"
#else
        port.port = info.systemLocation();
#endif
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        port.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier())
            port.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            port.productId = info.productIdentifier();
        ports.append(port);
    }
    return ports;
}

QString ChoiceName(const QString& port) {
    for (int n = 1; n <= PortChoice::kComCount; ++n) {
        const std::string com = "COM" + std::to_string(n);
        if (port.compare(SystemPortName(com), Qt::CaseInsensitive) == 0)
            return QString::fromStdString(com);
    }
    return port;
}

}  // namespace veld::link
