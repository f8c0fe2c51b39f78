#include "config/calibration.h"

#include "config/entry_checks.h"
#include "config/main_form.h"
#include "config/messages.h"
#include "config/read_all.h"
#include "lin/single.h"
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
    const QString typed = e_.form.korekcePV.text();
    if (!typed.isEmpty())
        takeCorrection(typed);
}

std::optional<long double> Calibration::CorrectionOf(const QString& typed,
                                                     DecimalSeparator separator) {
    // The transmitter stores a single: a number beyond its range is no correction either.
    const auto value = ParseReal(UpravaFormatu(typed, separator), separator);
    if (value && std::fabs(*value) <= FLT_MAX)
        return value;
    return std::nullopt;
}

std::optional<long double> Calibration::takeCorrection(const QString& typed) {
    const QString text = checks_.UpravaFormatu(typed);
    const auto value = CorrectionOf(text, e_.settings.decimalSeparator);
    if (!value)
        e_.prompts.message(kMsgBadCorrection);
    Edit& edit = e_.form.korekcePV;
    if (edit.text() == typed) {
        edit.setText(value ? text : QString());
        if (value)
            e_.config.PvCorrection = *value;
    }
    return value;
}

Calibration::CorrectionWrite Calibration::saveCorrection() {
    return saveCorrection(e_.form.korekcePV.text(), e_.config.PvCorrection);
}

Calibration::CorrectionWrite Calibration::saveCorrection(const QString& typed, long double kept) {
    failure_.clear();
    if (typed.isEmpty()) {
        e_.prompts.message(kMsgNoCorrection);
        e_.prompts.focus(e_.form.korekcePV.name);
        return CorrectionWrite::NothingToWrite;
    }
    const long double correction = takeCorrection(typed).value_or(kept);
    const link::Status written =
        device_.writeReal(model::eeprom::kPvCorrectionOwn.address, lin::ToSingle(correction));
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
