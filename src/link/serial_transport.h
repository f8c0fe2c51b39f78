#pragma once

#include <QSerialPort>

#include "link/port_lock.h"
#include "link/transport.h"

namespace veld::link {

// Maps the names of the eight COM items to the system's devices: "COM3" is COM3 on Windows and
// /dev/ttyS2 elsewhere; any other name (a device path, a pseudo-terminal) is opened as it is.
QString SystemPortName(const std::string& name);

// The transport over a real serial port: 14400 bit/s, 8 data bits, odd parity, 1 stop bit, no
// handshake, DTR on. Bytes are handed on as they arrive. While open, no other program (nor another
// transport of this one) can open the same device, under any of its names.
class SerialTransport final : public QObject, public Transport {
    Q_OBJECT
public:
    explicit SerialTransport(QObject* parent = nullptr);
    ~SerialTransport() override;

    bool open(const std::string& portName) override;
    void close() override;
    bool isOpen() const override;
    std::int64_t write(std::span<const std::uint8_t> bytes) override;
    void setDtr(bool on) override;
    void setRts(bool on) override;
    void clearInput() override;
    std::string openRefusal() const override { return refusal_; }
    Micros shortestCharacterTime() const override {
        return lineTimed_ ? kShortestLineCharacter : Micros{0};
    }

private:
    void readAvailable();
    void handleError(QSerialPort::SerialPortError error);
    void closePort();
#ifdef Q_OS_UNIX
    bool lockDevice(const QString& device);
#endif

    QSerialPort port_;
#ifdef Q_OS_UNIX
    DeviceLock deviceLock_;  // taken before the port opens, let go after it closed
#endif
    QString timedName_;
    bool lineTimed_ = false;
    std::string refusal_;
};

}  // namespace veld::link
