#include "link/serial_transport.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

#include "link/link.h"
#include "link/port_lock.h"

namespace veld::link {

QString SystemPortName(const std::string& name) {
    const QString qname = QString::fromStdString(name);
#ifdef Q_OS_WIN
    return qname;
#else
    static const QRegularExpression com(QStringLiteral("^COM([1-8])$"));
    const auto match = com.match(qname);
    if (match.hasMatch())
        return QStringLiteral("/dev/ttyS%1").arg(match.captured(1).toInt() - 1);
    return qname;
#endif
}

SerialTransport::SerialTransport(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialTransport::readAvailable);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialTransport::handleError);
}

SerialTransport::~SerialTransport() {
    closePort();
}

bool SerialTransport::open(const std::string& portName) {
    if (port_.isOpen())
        return true;
    refusal_.clear();
    // Every name of one device opens the same path, so that the lock QSerialPort takes (a file
    // named after the path) is one per device.
    const QString device = DevicePath(SystemPortName(portName));
    port_.setPortName(device);
#ifdef Q_OS_UNIX
    // Locked before QSerialPort sets the line up: the lock file does not keep out a program that
    // opens the device by another path, or one that ignores the file; root passes the terminal's
    // exclusive mode too.
    if (!lockDevice(device))
        return false;
#endif
    // Open with the port's defaults first and apply the line settings afterwards, ignoring
    // their results: a pseudo-terminal refuses 14400 bit/s, parity and the modem lines, and
    // the link must work over one all the same.
    bool opened = port_.open(QIODevice::ReadWrite);
#ifdef Q_OS_UNIX
    if (!opened) {
        // Looked into without this transport's own lock in the way.
        deviceLock_.release();
        if (port_.error() != QSerialPort::DeviceNotFoundError) {
            const RefusedOpen refused = ExamineRefusedOpen(device);
            if (refused.holder.held)
                refusal_ = HeldText(refused.holder).toStdString();
            else if (refused.accessDenied)
                refusal_ = AccessDeniedText(device, DeviceGroup(device)).toStdString();
            else if (refused.staleLockRemoved && lockDevice(device))
                opened = port_.open(QIODevice::ReadWrite);
        }
        if (!opened)
            deviceLock_.release();
    }
#else
    // Windows says "access denied" also of a port another program has open.
    if (!opened && port_.error() == QSerialPort::PermissionError)
        refusal_ =
            (AccessDeniedText(device, {}) + QStringLiteral(" Port může mít otevřen jiný program."))
                .toStdString();
#endif
    if (!opened) {
        qCInfo(lcLink) << "open" << device << "failed:" << port_.errorString() << refusal_.c_str();
        return false;
    }
    // Only a port the system lists as a serial device has the line's timing; a pseudo-terminal
    // (a harness behind it may answer at once) must not have its replies taken as early. Asked
    // once per name: listing the ports takes about 20 ms, and every transaction opens the port.
    if (port_.portName() != timedName_) {
        timedName_ = port_.portName();
        lineTimed_ = !QSerialPortInfo(port_).isNull();
    }
    port_.setBaudRate(14400);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::OddParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.setDataTerminalReady(true);
    port_.clear();
    port_.clearError();
    return true;
}

#ifdef Q_OS_UNIX
bool SerialTransport::lockDevice(const QString& device) {
    switch (deviceLock_.acquire(device)) {
        case DeviceLock::Outcome::Locked:
            return true;
        case DeviceLock::Outcome::Held: {
            PortHolder holder = LockHolder(device);
            holder.held = true;
            refusal_ = HeldText(holder).toStdString();
            break;
        }
        case DeviceLock::Outcome::Denied:
            refusal_ = AccessDeniedText(device, DeviceGroup(device)).toStdString();
            break;
        case DeviceLock::Outcome::Failed:
            qCInfo(lcLink) << "open" << device << "failed";
            return false;
    }
    qCInfo(lcLink) << "open" << device << "refused:" << refusal_.c_str();
    return false;
}
#endif

void SerialTransport::close() {
    closePort();
}

void SerialTransport::closePort() {
    if (port_.isOpen())
        port_.close();
#ifdef Q_OS_UNIX
    deviceLock_.release();  // the last descriptor: the system ends the port's use here
#endif
}

bool SerialTransport::isOpen() const {
    return port_.isOpen();
}

std::int64_t SerialTransport::write(std::span<const std::uint8_t> bytes) {
    if (!port_.isOpen() || bytes.empty())
        return 0;
    const qint64 n =
        port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    port_.flush();  // hand the bytes to the driver now rather than at the next event
    return n < 0 ? 0 : n;
}

void SerialTransport::setDtr(bool on) {
    if (port_.isOpen())
        port_.setDataTerminalReady(on);
}

void SerialTransport::setRts(bool on) {
    if (port_.isOpen())
        port_.setRequestToSend(on);
}

void SerialTransport::clearInput() {
    if (!port_.isOpen())
        return;
    // Both what the driver holds and what QSerialPort has read ahead but not yet handed on.
    port_.clear(QSerialPort::Input);
}

void SerialTransport::readAvailable() {
    const QByteArray data = port_.readAll();
    if (data.isEmpty() || !onReceive)
        return;
    onReceive(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                            static_cast<std::size_t>(data.size())));
}

void SerialTransport::handleError(QSerialPort::SerialPortError error) {
    // Only a vanished device ends a transaction; refused line settings are expected on a
    // pseudo-terminal and are ignored. A device that has hung up (a pseudo-terminal whose other
    // end closed) reads as readable yet empty, which QSerialPort reports as a read error, again
    // on every pass of the event loop: that port is gone too.
    const bool gone = error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
    if (gone && port_.isOpen()) {
        qCInfo(lcLink) << "port" << port_.portName() << "lost:" << port_.errorString();
        closePort();
        if (onLost)
            onLost();
    }
}

}  // namespace veld::link
