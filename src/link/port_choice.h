#pragma once

#include <QSettings>
#include <QString>
#include <string>

namespace veld::link {

// The serial port the next transaction opens: one of the eight items of "Nast COM" (COM1..COM8),
// or another port (a device path such as /dev/ttyUSB0, or the simulator) offered beside them.
// Persisted per user: "ComPort" = "Com1".."Com8" as ever; another port is kept under its own
// value name so the eight COM items store exactly what they always did.
class PortChoice {
public:
    static constexpr int kComCount = 8;
    static inline const QString kComPortKey = QStringLiteral("ComPort");
    static inline const QString kOtherPortKey = QStringLiteral("ComPortDevice");

    // Item index 0..7 of "Nast COM"; other indices fall back to COM1 when the port is named.
    int comIndex() const { return comIndex_; }
    // Non-empty when a port other than the eight COM items is chosen.
    const QString& otherPort() const { return other_; }

    void selectCom(int index);
    // `remember` false keeps the choice out of the settings (the simulator).
    void selectOther(const QString& name, bool remember = true);

    // Restores the choice at start-up: COM1 unless the settings hold "Com1".."Com8" exactly,
    // or another port; COM1 too when the store is corrupt or unreadable.
    void restore(QSettings& settings);
    // Records the choice after a successful open (unless persistence is off, as for a port
    // named once on the command line).
    void recordOpened(QSettings& settings) const;
    void setPersistent(bool on) { persistent_ = on; }
    bool persistent() const { return persistent_; }

    // What the transport opens: "COM3", or the other port's name.
    std::string portName() const;
    // What follows "It is not possible initialize comm " when opening fails.
    QString numberText() const;

private:
    int effectiveIndex() const { return comIndex_ >= 0 && comIndex_ < kComCount ? comIndex_ : 0; }

    int comIndex_ = 0;
    QString other_;
    bool rememberOther_ = true;
    bool persistent_ = true;
};

}  // namespace veld::link
