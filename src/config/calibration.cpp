#include "config/calibration.h"

#include "config/entry_checks.h"
#include "config/main_form.h"
#include "config/messages.h"
#include "config/read_all.h"
#include "link/device_access.h"
#include "model/eeprom_map.h"
#include "model/transmitter_config.h"

#include <cfloat>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {

Calibration::Calibration(Editor& editor, link::DeviceAccess& device, EntryChecks& checks,
                         ReadAll& read, std::function<void()> changed)
    : e_(editor),
      device_(device),
      checks_(checks),
      read_(read),
      progress_(editor.form.Prenos, std::move(changed)) {}

QString Calibration::RefusalMessage(int resultCode) {
    switch (resultCode) {
        case 6:
            return kMsgPvOutOfRange;
        case 9:
            return kMsgPvTooHigh;
        case 10:
            return kMsgPvTooLow;
        case 14:
            return kMsgSignalSpanTooSmall;
        default:
            return {};
    }
}

Outcome Calibration::S_DolmezClick() {
    return calibrate(e_.form.S_Dolmez, "NastOfs", kAskSetLowerLimit);
}

Outcome Calibration::S_HormezClick() {
    return calibrate(e_.form.S_Hormez, "NastFS", kAskSetUpperLimit);
}

Outcome Calibration::calibrate(Button& button, std::string_view command, const QString& question) {
    ButtonBusy busy(button);
    failure_.clear();
    progress_(0);
    if (!e_.prompts.question(question))
        return Outcome::Declined;
    // The result code is the reply's first payload byte; a reply without it says nothing.
    const auto reply = device_.command(command, 1);
    if (!reply) {
        failure_.record(reply.failure());
        return Outcome::Stopped;
    }
    progress_(50);
    if (const QString refusal = RefusalMessage(reply->payload.front()); !refusal.isEmpty()) {
        e_.prompts.message(refusal);
        return Outcome::Stopped;
    }
    const Outcome readBack = read_.cteni_mezi();
    if (readBack != Outcome::Completed) {
        if (read_.lastFailure())
            failure_.record(*read_.lastFailure());
        return readBack;
    }
    progress_(100);
    return Outcome::Completed;
}

void Calibration::korekcePVExit() {
    Edit& edit = e_.form.korekcePV;
    if (edit.isEmpty())
        return;
    edit.setText(checks_.UpravaFormatu(edit.text()));
    // The transmitter stores a single: a number beyond its range is no correction either.
    const auto value = ParseReal(edit.text(), e_.settings.decimalSeparator);
    if (value && std::fabs(*value) <= FLT_MAX) {
        e_.config.PvCorrection = *value;
        return;
    }
    e_.prompts.message(kMsgBadCorrection);
    edit.setText(QString());
}

Calibration::CorrectionWrite Calibration::saveCorrection() {
    failure_.clear();
    Edit& edit = e_.form.korekcePV;
    if (edit.isEmpty()) {
        e_.prompts.message(kMsgNoCorrection);
        e_.prompts.focus(edit.name);
        return CorrectionWrite::NothingToWrite;
    }
    korekcePVExit();
    const link::Status written = device_.writeReal(model::eeprom::kPvCorrectionOwn.address,
                                                   static_cast<float>(e_.config.PvCorrection));
    if (!written) {
        failure_.record(written.failure());
        return CorrectionWrite::Failed;
    }
    return CorrectionWrite::Written;
}

Outcome Calibration::Button8Click() {
    return saveCorrection() == CorrectionWrite::Written ? Outcome::Completed : Outcome::Stopped;
}

Outcome Calibration::Button1Click() {
    ButtonBusy busy(e_.form.Button1);
    failure_.clear();
    Edit& edit = e_.form.korekcePV;
    edit.setText(QString());
    const auto correction = device_.readReal(model::eeprom::kPvCorrectionOwn.address);
    if (!correction) {
        failure_.record(correction.failure());
        return Outcome::Stopped;
    }
    e_.config.PvCorrection = *correction;
    edit.setText(checks_.UpravaFormatu(QString::number(static_cast<double>(*correction), 'f', 1)));
    return Outcome::Completed;
}

}  // namespace veld::config
