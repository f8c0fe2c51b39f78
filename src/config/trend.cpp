#include "config/trend.h"

#include "config/file_write.h"
#include "config/messages.h"

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {

namespace {

// RFC 4180: a field with the column separator, a quote or a line break is quoted, its quotes
// doubled.
QString CsvField(const QString& text, QChar column) {
    if (!text.contains(column) && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r')) {
        return text;
    }
    QString quoted = text;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

}  // namespace

void Trend::start(Micros now, const QString& unit, int decimals, DecimalSeparator separator) {
    samples_.clear();
    unit_ = unit;
    decimals_ = std::clamp(decimals, 0, 9);
    separator_ = separator;
    origin_ = now;
    started_ = true;
    ++generation_;
    valid_ = 0;
    min_ = max_ = 0.0;
    sum_ = 0.0L;
}

void Trend::add(Micros now, std::optional<double> value) {
    if (!started_)
        start(now, unit_, decimals_, separator_);
    if (value && !std::isfinite(*value))
        value.reset();
    // A clock never runs back, but a sample before Start must not get a negative time.
    const double seconds =
        std::max<double>(0.0, std::chrono::duration<double>(now - origin_).count());
    samples_.push_back({seconds, value});
    if (!value)
        return;
    if (valid_ == 0) {
        min_ = max_ = *value;
    } else {
        min_ = std::min(min_, *value);
        max_ = std::max(max_, *value);
    }
    ++valid_;
    sum_ += *value;
}

std::optional<double> Trend::last() const {
    if (samples_.empty())
        return std::nullopt;
    return samples_.back().value;
}

std::optional<double> Trend::minimum() const {
    return valid_ == 0 ? std::nullopt : std::optional<double>(min_);
}

std::optional<double> Trend::maximum() const {
    return valid_ == 0 ? std::nullopt : std::optional<double>(max_);
}

std::optional<double> Trend::mean() const {
    if (valid_ == 0)
        return std::nullopt;
    return static_cast<double>(sum_ / static_cast<long double>(valid_));
}

QString Trend::formatValue(double value) const {
    // As the field "Naměřená hodnota" shows it (QString::number ignores the locale: always a
    // full stop), so the file and the labels read exactly like the page.
    return QString::number(value, 'f', decimals_);
}

QByteArray Trend::csvBytes() const {
    const bool comma = separator_ == DecimalSeparator::Comma;
    const QChar column = comma ? u';' : u',';
    const auto number = [comma](QString text) { return comma ? text.replace(u'.', u',') : text; };
    const QString unit = CsvField(unit_, column);
    QString text =
        comma ? u"\uFEFFčas [s];hodnota;jednotka\r\n"_s : u"čas [s],hodnota,jednotka\r\n"_s;
    text.reserve(text.size() + static_cast<qsizetype>(samples_.size()) * (24 + unit.size()));
    for (const TrendSample& s : samples_) {
        text += number(QString::number(s.seconds, 'f', 3));
        text += column;
        if (s.value)
            text += number(formatValue(*s.value));
        text += column;
        text += unit;
        text += u"\r\n"_s;
    }
    return text.toUtf8();
}

TrendSaveResult Trend::saveCsv(const QString& path) const {
    const FileWrite written = WriteFileAtomically(path, csvBytes());
    if (written)
        return {};
    const QString reason = written.status == FileWrite::NotAFile ? kNotAFileReason + u"."_s
                                                                 : FileErrorText(written.error);
    return {false, kMsgTrendNotSaved.arg(path, reason)};
}

Outcome saveTrendCsv(const Trend& trend, Prompts& prompts) {
    const auto path = prompts.saveFile(
        {u"Uložit CSV"_s, u"Soubory CSV|*.csv|Všechny soubory|*.*"_s, QString(), u"csv"_s});
    if (!path || path->isEmpty())
        return Outcome::Declined;
    if (const TrendSaveResult result = trend.saveCsv(*path); !result) {
        prompts.message(result.message);
        return Outcome::Stopped;
    }
    return Outcome::Completed;
}

}  // namespace veld::config
