#include "config/analog_output.h"

#include "config/main_window_model.h"
#include "config/messages.h"
#include "config/read_all.h"
#include "config/text_util.h"
#include "link/dev_float.h"
#include "model/eeprom_map.h"
#include "model/uploads.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {
namespace {

namespace map = model::eeprom;

// The transmitter's float keeps the value: its exponent byte cannot carry 2^126 and beyond.
bool fitsDevFloat(float single) {
    return std::isfinite(single) && link::DecodeDevFloat(link::EncodeDevFloat(single)) == single;
}

// Clears the running flag however the operation ends.
class Running {
public:
    explicit Running(bool& flag) : flag_(flag) { flag_ = true; }
    ~Running() { flag_ = false; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    bool& flag_;
};

}  // namespace

template <class R>
bool AnalogOutput::failed(const R& result) {
    if (result.ok())
        return false;
    failure_.record(result.failure());
    return true;
}

QString AnalogOutput::FormatLimit(float value, DecimalSeparator separator) {
    if (!std::isfinite(value))
        return {};
    return FormatGeneralDigits(value, 10, separator);
}

void AnalogOutput::EdLoLimDAExit() {
    limitExit(End::Lo);
}

void AnalogOutput::EdHiLimDAExit() {
    limitExit(End::Hi);
}

void AnalogOutput::limitExit(End end) {
    Edit& box = end == End::Lo ? m_.form.EdLoLimDA : m_.form.EdHiLimDA;
    if (box.isEmpty())
        return;
    box.setText(m_.checks().UpravaFormatu(box.text()));
    const auto value = ParseReal(box.text(), m_.settings().decimalSeparator);
    // A value the transmitter's float cannot hold would be stored as another number.
    if (value && fitsDevFloat(static_cast<float>(*value))) {
        (end == End::Lo ? OutputRangeLo : OutputRangeHi) = static_cast<float>(*value);
        return;
    }
    m_.prompts().message(end == End::Lo ? kMsgBadLowerLimit : kMsgBadUpperLimit);
    m_.prompts().focus(box.name);
}

Outcome AnalogOutput::Button2Click() {
    if (running_)
        return Outcome::Stopped;
    const Running running(running_);
    failure_.clear();
    MainForm& f = m_.form;
    // The bar belongs to the whole write; it moves only while that can be started.
    if (f.Poslat.enabled) {
        f.Prenos.position = 0;
        m_.notifyChanged();
    }
    if (!save())
        return Outcome::Stopped;
    if (f.Poslat.enabled) {
        f.Prenos.position = 100;
        m_.notifyChanged();
    }
    return Outcome::Completed;
}

bool AnalogOutput::save() {
    MainForm& f = m_.form;
    Prompts& prompts = m_.prompts();
    const auto incomplete = [&](const QString& message, const QString& focus) {
        prompts.message(message);
        if (!focus.isEmpty())
            prompts.focus(focus);
        m_.state.IncompleteInput = true;
        return false;
    };
    if (f.Vstup.text.isEmpty())
        return incomplete(kMsgInputNotRead, {});
    if (f.EdLoLimDA.isEmpty())
        return incomplete(kMsgNoOutputBegin, f.EdLoLimDA.name);
    if (f.EdHiLimDA.isEmpty())
        return incomplete(kMsgNoOutputEnd, f.EdHiLimDA.name);
    // A box that holds no number keeps the value last accepted: that one is written.
    EdLoLimDAExit();
    EdHiLimDAExit();
    if (f.Chybproud.text.isEmpty())
        return incomplete(kMsgNoFaultCurrent, f.Chybproud.name);

    const float lo = OutputRangeLo;
    const float hi = OutputRangeHi;
    const auto constants = m_.device().readBytes(model::ReadOutputCalibration::kRead.address,
                                                 model::ReadOutputCalibration::kRead.length);
    if (failed(constants))
        return false;
    const model::OutputCalibration calibration =
        model::ReadOutputCalibration::Decode(*constants, lo, hi);
    for (std::string_view warning : calibration.warnings)
        prompts.message(q(warning));
    // Equal limits or equal factory currents leave no scaling to write.
    if (!calibration.scaling) {
        prompts.message(q(calibration.scaling.message()));
        return false;
    }
    for (const model::EepromWrite& w : model::WriteOutputScaling(*calibration.scaling, lo, hi)) {
        if (failed(m_.device().writeBytes(w.address, w.bytes)))
            return false;
    }
    return true;
}

Outcome AnalogOutput::Button3Click() {
    if (running_)
        return Outcome::Stopped;
    const Running running(running_);
    failure_.clear();
    m_.form.EdLoLimDA.setText(QString());
    m_.form.EdHiLimDA.setText(QString());
    const Outcome lo = read(End::Lo);
    if (lo != Outcome::Completed)
        return lo;
    return read(End::Hi);
}

Outcome AnalogOutput::read(End end) {
    const map::Item item = end == End::Lo ? map::kOutputRangeLo : map::kOutputRangeHi;
    const auto value = m_.device().readReal(item.address);
    if (failed(value))
        return Outcome::Stopped;
    const QString text = FormatLimit(*value, m_.settings().decimalSeparator);
    if (text.isEmpty()) {
        m_.prompts().message(kMsgBadOutputReply);
        return Outcome::Stopped;
    }
    (end == End::Lo ? m_.form.EdLoLimDA : m_.form.EdHiLimDA).setText(text);
    return Outcome::Completed;
}

}  // namespace veld::config
