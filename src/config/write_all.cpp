#include "config/write_all.h"

#include "config/main_window_model.h"
#include "config/number_format.h"
#include "config/text_util.h"
#include "lin/single.h"
#include "link/device_access.h"
#include "link/link.h"
#include "model/code_tables.h"
#include "model/input_types.h"

#include <cfloat>
#include <cmath>
#include <utility>

namespace veld::config {

WriteAll::WriteAll(MainWindowModel& model)
    : m_(model), progress_(model.form.Prenos, [this] { m_.notifyChanged(); }) {}

void WriteAll::message(const QString& text) {
    m_.prompts().message(text);
}

Outcome WriteAll::PoslatClick() {
    ButtonBusy busy(m_.form.Poslat);
    failure_.clear();
    failedSinceCheck_ = false;
    const auto planned = plan();
    // An opt-in backup comes before the first transaction of the write, which it leaves as it is.
    if (!planned || !m_.backupPage().backupBeforeWrite())
        return Outcome::Stopped;
    return send(*planned);
}

std::optional<WriteAllPlan> WriteAll::plan() {
    // The entry checks, on the page as it stands.
    if (!entriesAccepted())
        return std::nullopt;
    if (m_.form.Linearizace.text == q(model::kLinFromFile) && !m_.state.LinFileChosen) {
        // After a read the point file is chosen first; the user presses again.
        m_.rules().LinearizaceChange();
        m_.state.LinFileChosen = true;
        progress_(0);
        return std::nullopt;
    }
    return planner_.plan(snapshot());
}

bool WriteAll::entriesAccepted() {
    EntryChecks& checks = m_.checks();
    InputState& s = m_.state;
    MainForm& f = m_.form;
    const DecimalSeparator sep = m_.settings().decimalSeparator;
    // A field that is no number has shown its message and left the value before it in the
    // record; that value must not be written as if it had been typed.
    const auto notANumber = [sep](const Edit& edit) {
        return !edit.isEmpty() && !ParseReal(edit.text(), sep);
    };
    const model::InputTypeInfo* type = model::FindInputType(utf8(f.Vstup.text));
    const auto noSenseResistor = [&] {
        return model::IsCurrentType(type) && m_.config.SenseResistance == 0;
    };

    // A value its check refused is not written, nor the one before it in its place.
    checks.TlumeniExit();
    if (s.DampingRefused)
        return false;
    s.IncompleteInput = false;
    checks.Testvyplneni();
    if (s.IncompleteInput)
        return false;
    checks.PocatekExit();
    if (s.BeginOutOfRange || notANumber(f.Pocatek) || noSenseResistor())
        return false;
    checks.KonecExit();
    if (s.EndOutOfRange || notANumber(f.Konec))
        return false;
    // The correction's check empties a value it refuses; the write would show that after "Stop"
    // and go on with the correction before.
    const Edit& correction = f.korekcePV;
    if (correction.visible) {
        const auto typed = ParseReal(UpravaFormatu(correction.text(), sep), sep);
        if (correction.isEmpty() || !typed || std::fabs(*typed) > FLT_MAX) {
            message(correction.isEmpty() ? kMsgNoCorrection : kMsgBadCorrection);
            m_.prompts().focus(correction.name);
            return false;
        }
    }
    m_.rules().VolenaJednotkaChange();
    return m_.sensorMatch().acceptedForWrite();
}

WriteSnapshot WriteAll::snapshot() const {
    const MainForm& f = m_.form;
    WriteSnapshot page;
    page.inputType = f.Vstup.text;
    page.linearization = f.Linearizace.text;
    page.wiring = f.PripCidl.text;
    page.faultCurrent = f.Chybproud.text;
    page.correction = f.korekcePV.text();
    page.polynomial = m_.dialog.Zpus_lin.itemIndex == LinDialogForm::kMethodPolynomial;
    page.precise = f.PresnaLin.checked;
    page.platinum = SensorMatch::InForce(f, m_.state);
    page.separator = m_.settings().decimalSeparator;
    page.state = m_.state;
    page.record = m_.config;
    page.points = m_.points;
    return page;
}

Outcome WriteAll::send(const WriteAllPlan& plan) {
    for (const WriteStep& step : plan.steps)
        if (const auto end = perform(plan, step))
            return *end;
    return Outcome::Stopped;  // every plan ends in Stop or Completed
}

// Some transactions have no check of their own; a failure among them stops the sequence at the
// next check, so nothing the transmitter did not take is reported as written.
template <class R>
std::optional<Outcome> WriteAll::transacted(const R& result, const WriteStep& step) {
    if (result.ok())
        return std::nullopt;
    failure_.record(result.failure());
    failedSinceCheck_ = true;
    return step.stopOnFailure ? std::optional(Outcome::Stopped) : std::nullopt;
}

std::optional<Outcome> WriteAll::perform(const WriteAllPlan& plan, const WriteStep& step) {
    using Kind = WriteStep::Kind;
    link::DeviceAccess& device = m_.device();
    MainForm& f = m_.form;
    switch (step.kind) {
        case Kind::Read: {
            const auto read = device.readBytes(step.address, step.length);
            if (read)
                reply_ = *read;
            return transacted(read, step);
        }
        case Kind::Write: {
            const auto written = device.writeBytes(step.address, step.data);
            if (written && step.pauseAfter.count() > 0)
                device.link().clock().pause(step.pauseAfter);
            return transacted(written, step);
        }
        case Kind::Command:
            return transacted(device.command(step.command), step);
        case Kind::Correction: {
            Calibration& calibration = m_.calibration();
            if (calibration.saveCorrection(step.text, plan.record.PvCorrection) ==
                Calibration::CorrectionWrite::Failed) {
                failure_.record(*calibration.lastFailure());
                failedSinceCheck_ = true;
            }
            return std::nullopt;
        }
        case Kind::Check:
            if (std::exchange(failedSinceCheck_, false))
                return Outcome::Stopped;
            return std::nullopt;
        case Kind::Progress:
            progress_(step.value);
            return std::nullopt;
        case Kind::Message:
            message(step.text);
            return std::nullopt;
        case Kind::Question:
            if (!m_.prompts().question(step.text))
                return Outcome::Declined;
            return std::nullopt;
        case Kind::Stop:
            return Outcome::Stopped;
        case Kind::Signature:
        case Kind::ModeFlags:
        case Kind::OutputScaling:
            for (const WriteStep& resolved : ResolveStep(plan, step, reply_))
                if (const auto end = perform(plan, resolved))
                    return end;
            return std::nullopt;
        case Kind::Firmware:
            f.setFirmwareNumber(reply_.at(0));
            m_.notifyChanged();
            return std::nullopt;
        case Kind::Keep:
            planner_.keep(plan.tables.at(static_cast<std::size_t>(step.value)));
            return std::nullopt;
        case Kind::Publish:
            publish(plan);
            return std::nullopt;
        case Kind::ModeFlagsKnown:
            m_.config.ModeFlags = static_cast<std::uint8_t>(step.value);
            return std::nullopt;
        case Kind::DisplayDecimals:
            m_.config.DisplayDecimals = static_cast<std::uint8_t>(step.value);
            return std::nullopt;
        case Kind::SignalRange:
            m_.state.SignalLow = lin::ToSingle(plan.record.RangeBegin);
            m_.state.SignalHigh = lin::ToSingle(plan.record.RangeEnd);
            return std::nullopt;
        case Kind::RangeExits:
            m_.checks().PocatekExit();
            m_.checks().KonecExit();
            return std::nullopt;
        case Kind::NoteDone:
            m_.userNote().NoteProgress = false;
            return std::nullopt;
        case Kind::Completed:
            f.ButMeasPV.enabled = true;
            f.Start_Mer.enabled = true;
            f.Stop_mer.enabled = true;
            return Outcome::Completed;
    }
    return std::nullopt;
}

// What the write derived belongs to the program's record as well: the range read back after a
// calibration converts through these curves.
void WriteAll::publish(const WriteAllPlan& plan) {
    model::TransmitterConfig& c = m_.config;
    const model::TransmitterConfig& rec = plan.record;
    c.InputType = rec.InputType;
    c.FaultCurrent = rec.FaultCurrent;
    c.HwCode = rec.HwCode;
    c.Wiring = rec.Wiring;
    c.SensorCurve = rec.SensorCurve;
    c.DisplayCurve = rec.DisplayCurve;
    c.LinMode = rec.LinMode;
    c.PvUnit = rec.PvUnit;
    c.PvRangeLo = rec.PvRangeLo;
    c.PvRangeHi = rec.PvRangeHi;
    c.PvStep = rec.PvStep;
    c.RangeBeginInt = rec.RangeBeginInt;
    c.RangeEndInt = rec.RangeEndInt;
    c.OverdriveHi = rec.OverdriveHi;
    c.OverdriveLo = rec.OverdriveLo;
    c.PvLimitLo = rec.PvLimitLo;
    c.PvLimitHi = rec.PvLimitHi;
    c.InputLimitHi = rec.InputLimitHi;
    c.InputLimitLo = rec.InputLimitLo;
    m_.math().CurveRangeLo = plan.curveRangeLo;
    m_.math().CurveRangeHi = plan.curveRangeHi;
}

}  // namespace veld::config
