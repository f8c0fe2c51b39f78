#include "link/port_choice.h"

namespace veld::link {

void PortChoice::selectCom(int index) {
    comIndex_ = index;
    other_.clear();
}

void PortChoice::selectOther(const QString& name, bool remember) {
    other_ = name;
    rememberOther_ = remember;
}

namespace {

// A port name as written by recordOpened: plain text of sane length without control
// characters. Anything else (a byte array, a list, a NUL) is no port to open.
bool plausiblePortName(const QVariant& value) {
    if (value.typeId() != QMetaType::QString)
        return false;
    const QString name = value.toString();
    if (name.isEmpty() || name.size() > 256)
        return false;
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control)
            return false;
    return true;
}

}  // namespace

void PortChoice::restore(QSettings& settings) {
    comIndex_ = 0;
    other_.clear();
    rememberOther_ = true;
    // What a corrupt or unreadable store still yields is not trusted: COM1.
    if (settings.status() != QSettings::NoError)
        return;
    const QString saved = settings.value(kComPortKey).toString();
    for (int i = 0; i < kComCount; ++i) {
        if (saved == QStringLiteral("Com%1").arg(i + 1))
            comIndex_ = i;
    }
    const QVariant other = settings.value(kOtherPortKey);
    if (plausiblePortName(other))
        other_ = other.toString();
}

void PortChoice::recordOpened(QSettings& settings) const {
    if (!persistent_)
        return;
    if (other_.isEmpty()) {
        settings.setValue(kComPortKey, QStringLiteral("Com%1").arg(effectiveIndex() + 1));
        settings.remove(kOtherPortKey);
    } else if (rememberOther_) {
        settings.setValue(kOtherPortKey, other_);
    }
    settings.sync();
}

std::string PortChoice::portName() const {
    if (!other_.isEmpty())
        return other_.toStdString();
    return "COM" + std::to_string(effectiveIndex() + 1);
}

QString PortChoice::numberText() const {
    return other_.isEmpty() ? QString::number(effectiveIndex() + 1) : other_;
}

}  // namespace veld::link
