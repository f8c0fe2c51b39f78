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

void PortChoice::restore(QSettings& settings) {
    comIndex_ = 0;
    other_.clear();
    const QString saved = settings.value(kComPortKey).toString();
    for (int i = 0; i < kComCount; ++i) {
        if (saved == QStringLiteral("Com%1").arg(i + 1))
            comIndex_ = i;
    }
    other_ = settings.value(kOtherPortKey).toString();
    rememberOther_ = true;
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
