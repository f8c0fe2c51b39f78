#include "config/lin_preview.h"

#include "config/main_form.h"
#include "config/sensor_match.h"
#include "config/text_util.h"
#include "lin/precise_table.h"
#include "model/code_tables.h"
#include "model/input_types.h"

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {

QString LinPreview::FormatDeviation(long double value, DecimalSeparator separator) {
    int decimals = 2;
    if (value > 0 && std::isfinite(value)) {
        // The decade after rounding to three digits: 9.996 is "10.0", not "10.00".
        const double rounded = QString::number(static_cast<double>(value), 'g', 3).toDouble();
        decimals = std::clamp(2 - static_cast<int>(std::floor(std::log10(rounded))), 0, 6);
    }
    return UpravaFormatu(QString::number(static_cast<double>(value), 'f', decimals), separator);
}

bool LinPreview::PreciseApplies(const MainForm& form) {
    const model::InputTypeInfo* type = model::FindInputType(utf8(form.Vstup.text));
    return form.Linearizace.text == q(model::kLinBuiltIn) && type &&
           type->sensorCurve <= lin::kCurveNi1000;
}

std::optional<LinPreview::Key> LinPreview::currentKey() const {
    const MainForm& f = e_.form;
    if (!PreciseApplies(f))
        return std::nullopt;
    const model::InputTypeInfo* type = model::FindInputType(utf8(f.Vstup.text));
    const auto begin = ParseReal(f.Pocatek.text(), e_.settings.decimalSeparator);
    const auto end = ParseReal(f.Konec.text(), e_.settings.decimalSeparator);
    Key key{type->sensorCurve, 0, 0, f.PresnaLin.checked, SensorMatch::InForce(f, e_.state)};
    if (begin && end) {
        key.lo = std::min(*begin, *end);
        key.hi = std::max(*begin, *end);
    }
    return key;
}

void LinPreview::update() {
    MainForm& f = e_.form;
    const std::optional<Key> key = currentKey();
    f.PresnaLin.visible = f.PresnaLin.enabled = key.has_value();
    if (key != key_) {
        key_ = key;
        built_ = false;
        curve_ = {};
        // Coefficients the range refuses give no table; the write says why.
        const bool refused =
            key && key->platinum && CheckPlatinum(key->code, *key->platinum, key->lo, key->hi);
        if (key && key->lo < key->hi && !refused) {
            // The messages of a range the sensor cannot take are the write's to give.
            lin::CurveParams params;
            params.platinum = key->platinum;
            const auto table = key->precise ? lin::PreciseTable(key->code, key->lo, key->hi, params)
                                            : lin::Spline(key->code, key->lo, key->hi, params);
            if (table) {
                built_ = true;
                curve_.deviation = table->deviation;
                curve_.precise = key->precise;
                curve_.matched = key->platinum.has_value();
                curve_.points =
                    lin::ImageDeviationCurve(table->image, key->code, key->lo, key->hi, params);
            }
        }
    }
    curve_.unit = f.Label8.caption;
    f.LabOdchylka.visible = f.LabOdchylka.enabled = built_;
    if (!built_) {
        f.LabOdchylka.caption.clear();
        return;
    }
    const DecimalSeparator separator = e_.settings.decimalSeparator;
    const QString unit = curve_.unit.isEmpty() ? QString() : u" "_s + curve_.unit;
    f.LabOdchylka.caption = (curve_.matched ? u"Max. odchylka linearizace přizpůsobené čidlu: "_s
                                            : u"Max. odchylka linearizace: "_s) +
                            u"%1%3, střední kvadratická %2%3"_s.arg(
                                FormatDeviation(curve_.deviation.max, separator),
                                FormatDeviation(curve_.deviation.rms, separator), unit);
}

}  // namespace veld::config
