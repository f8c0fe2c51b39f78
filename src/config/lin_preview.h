#pragma once

#include "config/input_state.h"
#include "lin/functions.h"

#include <QString>
#include <optional>
#include <vector>

// What "linearizováno" would upload for the page as it stands, shown before anything is
// written: the offer of "Přesná linearizace" and the deviation under the list.
namespace veld::config {

struct MainForm;

class LinPreview {
public:
    explicit LinPreview(Editor& editor) : e_(editor) {}

    // Shows "Přesná linearizace" and the deviation label only where they mean something (a
    // built-in sensor characteristic, "linearizováno", a usable range) and writes the label.
    // The table is built again only when sensor, range or the tick changed.
    void update();

    // The deviation at each test point of the table a write would upload, for the plot; empty
    // when the label is hidden.
    struct Curve {
        std::vector<lin::DeviationPoint> points;
        lin::Deviation deviation;
        QString unit;
        bool precise = false;
        bool matched = false;  // of the sensor's own coefficients (SensorMatch)
    };
    const Curve& curve() const { return curve_; }
    // Counts the clicks on the deviation label; a view opens the plot at each new one.
    int plotRequests = 0;

    // Whether "Přesná linearizace" counts for the page: "linearizováno" of a sensor with a
    // built-in characteristic.
    static bool PreciseApplies(const MainForm& form);

    // "1.06", "0.000412": three significant digits, no more than six decimals.
    static QString FormatDeviation(long double value, DecimalSeparator separator);

private:
    struct Key {
        int code = -1;
        long double lo = 0, hi = 0;
        bool precise = false;
        std::optional<lin::PlatinumCoefficients> platinum;
        bool operator==(const Key&) const = default;
    };
    std::optional<Key> currentKey() const;

    Editor& e_;
    std::optional<Key> key_;
    bool built_ = false;
    Curve curve_;
};

}  // namespace veld::config
