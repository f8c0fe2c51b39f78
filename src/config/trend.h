#pragma once

#include "common/prompts.h"
#include "config/number_format.h"
#include "config/outcome.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

// The trend of continuous measurement: what the chart on the page "Měření" draws and what
// "Uložit CSV" writes. Plain data, no widgets; the chart mirrors it through `generation()` and
// `samples()`.
namespace veld::config {

struct TrendSample {
    double seconds = 0.0;         // since Start
    std::optional<double> value;  // nothing: the measurement failed (a gap, never a zero)
};

// Outcome of writing the CSV file; the message names the file and what was wrong.
struct TrendSaveResult {
    bool ok = true;
    QString message;
    explicit operator bool() const { return ok; }
};

class Trend {
public:
    using Micros = std::chrono::microseconds;

    // Start of continuous measurement: forgets every sample; times count from `now`. `unit` is
    // the text of the unit labels ("°C", "mA", empty for none) and `decimals` the number of
    // decimals the window shows the value with (3, or 6 for voltages and unlinearized
    // thermocouples), used by the labels and the CSV file alike. `separator`: the system's
    // decimal separator, which decides the form of the CSV file.
    void start(Micros now, const QString& unit, int decimals,
               DecimalSeparator separator = DecimalSeparator::Point);
    // One measurement ended at `now`: its value, or nothing when it failed. A value that is not
    // finite is kept as a gap too. Adding before any start starts at `now`.
    void add(Micros now, std::optional<double> value);

    const std::vector<TrendSample>& samples() const { return samples_; }
    const QString& unit() const { return unit_; }
    int decimals() const { return decimals_; }
    // Changes on every start, so a view knows to draw afresh rather than append.
    std::uint64_t generation() const { return generation_; }

    // The newest sample's value: nothing when it was a gap (the process is not being seen
    // now), or before the first sample.
    std::optional<double> last() const;
    // Over the valid samples only; nothing while there is none.
    std::optional<double> minimum() const;
    std::optional<double> maximum() const;
    std::optional<double> mean() const;
    std::size_t validCount() const { return valid_; }

    // A value as the window shows it: `decimals()` decimals and a full stop ("-12.500").
    QString formatValue(double value) const;

    // The CSV file (RFC 4180): UTF-8 without byte-order mark, comma separated, CRLF line ends,
    // full stop decimals. A header line "čas [s],hodnota,jednotka", then one line per sample:
    // seconds since Start with three decimals (the tick is 1.5 s, milliseconds are plenty), the
    // value as the window shows it (empty for a gap) and the unit (quoted when it holds the
    // column separator, a quote or a line break).
    // Where the decimal separator is a comma, a spreadsheet expects what it writes itself:
    // ";" between the columns, decimal commas, and a byte-order mark that tells it UTF-8.
    QByteArray csvBytes() const;
    // Writes csvBytes() through a temporary file that replaces `path` only once it is complete,
    // so a failed save never destroys the previous file.
    TrendSaveResult saveCsv(const QString& path) const;

private:
    std::vector<TrendSample> samples_;
    QString unit_;
    int decimals_ = 3;
    DecimalSeparator separator_ = DecimalSeparator::Point;
    Micros origin_{0};
    bool started_ = false;
    std::uint64_t generation_ = 0;
    std::size_t valid_ = 0;
    double min_ = 0.0;
    double max_ = 0.0;
    long double sum_ = 0.0L;  // extended, so the mean of a long run does not drift
};

// The click on "Uložit CSV": asks for the file, writes it and shows a message only when the
// write failed. Declined when the user cancels the dialog.
Outcome saveTrendCsv(const Trend& trend, Prompts& prompts);

}  // namespace veld::config
