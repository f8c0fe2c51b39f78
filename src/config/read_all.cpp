#include "config/read_all.h"

#include "config/entry_checks.h"
#include "config/input_rules.h"
#include "config/main_form.h"
#include "config/text_util.h"
#include "config/user_note.h"
#include "lin/lin_math.h"
#include "lin/point_file.h"
#include "link/device_access.h"
#include "model/code_tables.h"
#include "model/eeprom_map.h"
#include "model/input_types.h"
#include "model/record_codec.h"
#include "model/transmitter_config.h"

#include <charconv>
#include <cmath>
#include <string>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {

namespace {

namespace eeprom = model::eeprom;
using model::InputGroup;
using model::InputTypeInfo;

constexpr int kCurveFromFile = 14;
constexpr std::uint8_t kLinModeSquareRoot = 3;
constexpr std::uint8_t kLinModeFromFile = 4;

void SetEnabled(std::initializer_list<Control*> controls, bool enabled) {
    for (Control* control : controls)
        control->enabled = enabled;
}

// Fixed notation with n decimals and a full stop.
QString Fixed(long double value, int decimals) {
    return QString::number(static_cast<double>(value), 'f', decimals);
}

bool HasGroup(const InputTypeInfo* type, std::initializer_list<InputGroup> groups) {
    if (!type)
        return false;
    for (const InputGroup g : groups)
        if (type->group == g)
            return true;
    return false;
}

// The unit labels beside the range show the primary variable's unit by its code; "no unit" and
// codes the window has no text for leave them empty.
QString UnitLabelText(std::uint8_t unitCode) {
    if (unitCode == model::kUnitNone)
        return {};
    return q(model::TextOf(model::UnitChoices(), unitCode));
}

}  // namespace

QString FormatGeneralDigits(long double value, int digits, DecimalSeparator separator) {
    if (std::isnan(value))
        return u"NAN"_s;
    if (std::isinf(value))
        return value < 0 ? u"-INF"_s : u"INF"_s;
    if (value == 0)
        return u"0"_s;
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, digits - 1);
    const std::string sci(buf, res.ptr);
    const auto ePos = sci.find('e');
    const int exponent = std::stoi(sci.substr(ePos + 1));
    std::string mantissa = sci.substr(0, ePos);
    const bool negative = mantissa.front() == '-';
    std::string significant;
    for (const char c : mantissa)
        if (c >= '0' && c <= '9')
            significant.push_back(c);
    while (significant.size() > 1 && significant.back() == '0')
        significant.pop_back();

    const char point = separator == DecimalSeparator::Comma ? ',' : '.';
    std::string out = negative ? "-" : "";
    if (exponent >= -4 && exponent < digits) {
        if (exponent < 0) {
            out += '0';
            out += point;
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += significant;
        } else {
            const auto whole = static_cast<std::size_t>(exponent + 1);
            if (significant.size() <= whole) {
                out += significant;
                out.append(whole - significant.size(), '0');
            } else {
                out += significant.substr(0, whole);
                out += point;
                out += significant.substr(whole);
            }
        }
    } else {
        out += significant.substr(0, 1);
        if (significant.size() > 1) {
            out += point;
            out += significant.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    }
    return QString::fromLatin1(out);
}

ReadAll::ReadAll(Editor& editor, link::DeviceAccess& device, lin::LinMath& math, InputRules& rules,
                 EntryChecks& checks, UserNote& note, std::function<void()> changed)
    : e_(editor),
      device_(device),
      math_(math),
      rules_(rules),
      checks_(checks),
      note_(note),
      progress_(editor.form.Prenos, std::move(changed)) {}

template <class R>
bool ReadAll::failed(const R& result) {
    if (result)
        return false;
    failure_.record(result.failure());
    return true;
}

Outcome ReadAll::PrecistClick() {
    ButtonBusy busy(e_.form.Precist);
    failure_.clear();
    progress_(0);
    return readSequence();
}

Outcome ReadAll::readSequence() {
    MainForm& f = e_.form;
    model::TransmitterConfig& c = e_.config;
    const DecimalSeparator separator = e_.settings.decimalSeparator;

    // Input type, fault current, hardware code, wiring.
    const auto codesRead = device_.readBytes(eeprom::kInputCodes.address,
                                             static_cast<std::uint8_t>(eeprom::kInputCodes.length));
    if (failed(codesRead))
        return Outcome::Stopped;
    progress_(11);
    const auto codes = model::DecodeInputCodes(*codesRead);
    if (!codes)
        return Outcome::Stopped;     // not reached: the read has delivered the four bytes
    c.InputType = codes->InputType;  // also a code without a type, for the command line to name
    if (const InputTypeInfo* read = model::FindInputTypeByCode(codes->InputType))
        f.Vstup.text = q(read->text);
    rules_.VstupChange();
    const InputTypeInfo* type = rules_.currentType();

    f.Label8.caption.clear();
    f.Label9.caption.clear();
    if (const auto fault = model::TextOf(model::FaultCurrentTexts(), codes->FaultCurrent);
        !fault.empty())
        f.Chybproud.text = q(fault);
    c.HwCode = codes->HwCode;

    if (HasGroup(type, {InputGroup::ResistanceThermometer, InputGroup::Rheostat,
                        InputGroup::Potentiometer, InputGroup::RelativePotentiometer})) {
        f.Label3.show();
        f.PripCidl.show();
        if (const auto wiring = model::TextOf(model::WiringTexts(), codes->Wiring); !wiring.empty())
            f.PripCidl.text = q(wiring);
    } else {
        f.Label3.hide();
        f.PripCidl.hide();
        f.PripCidl.text.clear();
    }

    if (HasGroup(type, {InputGroup::Thermocouple})) {
        f.OVzdStKon.show();
        f.VzdStKon.show();
        f.VzdStKon.text = q(model::ColdJunctionText(c.HwCode));
    } else {
        f.OVzdStKon.hide();
        f.VzdStKon.hide();
    }

    if (model::IsCurrentType(type)) {
        f.Label31.show();
        f.Label32.show();
        f.SnOdpor.show();
        const auto sense = device_.readReal(eeprom::kSenseResistance.address);
        if (failed(sense))
            return Outcome::Stopped;
        progress_(22);
        c.SenseResistance = *sense;
        // Adjusted to the system's separator like every other number put back into an edit:
        // the change handler converts the text, and on a system with a decimal comma a full
        // stop would be refused and the value lost.
        f.SnOdpor.setText(checks_.UpravaFormatu(Fixed(*sense, 5)));
    } else {
        f.Label31.hide();
        f.Label32.hide();
        f.SnOdpor.hide();
        f.SnOdpor.setText(QString());
    }

    // The transmitter keeps no item the total resistance could be recovered from: the box
    // stays empty and the completeness check asks for it before the next write.
    if (type && !type->totalValueCaption.empty())
        progress_(22);

    if (HasGroup(type, {InputGroup::ResistanceThermometer})) {
        f.Label1.show();
        f.korekcePV.show();
        const auto correction = device_.readReal(eeprom::kPvCorrection.address);
        if (failed(correction))
            return Outcome::Stopped;
        progress_(33);
        c.PvCorrection = *correction;
        f.korekcePV.setText(checks_.UpravaFormatu(Fixed(*correction, 5)));
    }

    const auto damping = device_.readReal(eeprom::kDamping.address);
    if (failed(damping))
        return Outcome::Stopped;
    progress_(44);
    c.Damping = *damping;
    f.Tlumeni.setText(checks_.UpravaFormatu(Fixed(*damping, 1)));

    if (type) {
        SetEnabled({&f.Label4, &f.Label6, &f.Label7, &f.Label8, &f.Label9, &f.Label15, &f.Label18,
                    &f.S_Dolmez, &f.S_Hormez},
                   true);
        if (!model::IsUnified(type))
            SetEnabled({&f.Pocatek, &f.Konec}, true);
    } else {
        f.Vstup.text.clear();
    }

    const auto curvesRead = device_.readBytes(
        eeprom::kCurveCodes.address, static_cast<std::uint8_t>(eeprom::kCurveCodes.length));
    if (failed(curvesRead))
        return Outcome::Stopped;
    progress_(67);
    const auto curves = model::DecodeCurveCodes(*curvesRead);
    if (!curves)
        return Outcome::Stopped;
    c.UnitCode = curves->UnitCode;
    c.SensorCurve = curves->SensorCurve;
    c.DisplayCurve = curves->DisplayCurve;
    if (const auto lin = model::TextOf(model::LinModeTexts(), curves->LinMode); !lin.empty()) {
        f.Linearizace.text = q(lin);
        c.LinMode = curves->LinMode;
    }
    if (curves->LinMode == kLinModeSquareRoot) {
        SetEnabled({&f.Label18, &f.S_Dolmez, &f.S_Hormez}, false);
    } else if (curves->LinMode == kLinModeFromFile) {
        // The points behind it are not in the transmitter: the next write asks for the file.
        e_.state.LinFileChosen = false;
    }
    f.Label8.caption = UnitLabelText(c.UnitCode);
    f.Label9.caption = f.Label8.caption;

    const auto range = device_.readReals(eeprom::kRangeItems.address, 2);
    if (failed(range))
        return Outcome::Stopped;
    progress_(78);
    c.RangeBegin = (*range)[0];
    c.RangeEnd = (*range)[1];
    f.Pocatek.setText(FormatGeneralDigits(c.RangeBegin, 10, separator));
    f.Konec.setText(FormatGeneralDigits(c.RangeEnd, 10, separator));

    const auto ratio = device_.readReal(eeprom::kDividerRatio.address);
    if (failed(ratio))
        return Outcome::Stopped;
    progress_(89);
    f.DelPomer.setText(FormatGeneral(*ratio, separator));
    c.DividerRatio = *ratio;
    const bool voltage = HasGroup(type, {InputGroup::Voltage});
    for (Control* control : std::initializer_list<Control*>{&f.Label10, &f.Label11, &f.DelPomer}) {
        if (voltage)
            control->show();
        else
            control->hide();
    }

    note_.NoteProgress = false;
    if (note_.cteni_uz_pozn() != Outcome::Completed) {
        if (note_.lastFailure())
            failure_.record(*note_.lastFailure());
        return Outcome::Stopped;
    }
    progress_(100);
    f.ButMeasPV.enabled = true;
    f.Start_Mer.enabled = true;
    f.Stop_mer.enabled = true;
    return Outcome::Completed;
}

Outcome ReadAll::cteni_mezi() {
    failure_.clear();
    const model::TransmitterConfig& c = e_.config;
    const auto range = device_.readReals(eeprom::kOutputRange.address, 2);
    if (failed(range))
        return Outcome::Stopped;
    long double begin = (*range)[0];
    long double end = (*range)[1];

    const InputTypeInfo* type = rules_.currentType();
    const long double scale =
        model::IsVoltageType(type) || model::IsCurrentType(type) ? 1e6L : 1e3L;
    begin = std::round(begin * scale) / scale;
    end = std::round(end * scale) / scale;

    if (c.LinMode == kLinModeFromFile) {
        const auto lines = device_.readReals(eeprom::kEndLines.address, 4);
        if (failed(lines))
            return Outcome::Stopped;
        lin::PointStore& p = e_.points;
        p.EndLineInSlope = (*lines)[0];
        p.EndLineInOffset = (*lines)[1];
        p.EndLineOutSlope = (*lines)[2];
        p.EndLineOutOffset = (*lines)[3];
    }

    if (c.SensorCurve != c.DisplayCurve && c.DisplayCurve != kCurveFromFile) {
        // Back through the display curve's inverse; the square root searches over the range
        // the cells hold.
        math_.LinSensor = c.DisplayCurve;
        math_.DisplayCurve = c.DisplayCurve;
        math_.CurveError = 0;
        for (long double* value : {&begin, &end}) {
            math_.InverseSignal = *value;
            math_.vypocet_inverz();
            if (math_.CurveError != 0)
                return Outcome::Stopped;  // the mathematics has named the unknown curve
            *value = math_.InverseResult;
        }
    }

    e_.config.RangeBegin = begin;
    e_.config.RangeEnd = end;
    const DecimalSeparator separator = e_.settings.decimalSeparator;
    e_.form.Pocatek.setText(FormatGeneral(begin, separator));
    e_.form.Konec.setText(FormatGeneral(end, separator));
    return Outcome::Completed;
}

}  // namespace veld::config
