#include "config/trend.h"

#include <QSaveFile>
#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {

namespace {

// RFC 4180: a field with a separator, a quote or a line break is quoted, its quotes doubled.
QString CsvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r')) {
        return text;
    }
    QString quoted = text;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

}  // namespace

void Trend::start(Micros now, const QString& unit, int decimals) {
    samples_.clear();
    unit_ = unit;
    decimals_ = std::clamp(decimals, 0, 9);
    origin_ = now;
    started_ = true;
    ++generation_;
    valid_ = 0;
    min_ = max_ = 0.0;
    sum_ = 0.0L;
}

void Trend::add(Micros now, std::optional<double> value) {
    if (!started_)
        start(now, unit_, decimals_);
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
    const QString unit = CsvField(unit_);
    QString text = u"čas [s],hodnota,jednotka\r\n"_s;
    text.reserve(text.size() + static_cast<qsizetype>(samples_.size()) * (24 + unit.size()));
    for (const TrendSample& s : samples_) {
        text += QString::number(s.seconds, 'f', 3);
        text += u',';
        if (s.value)
            text += formatValue(*s.value);
        text += u',';
        text += unit;
        text += u"\r\n"_s;
    }
    return text.toUtf8();
}

TrendSaveResult Trend::saveCsv(const QString& path) const {
    const auto failed = [&path](const QString& reason) {
        return TrendSaveResult{false,
                               u"Soubor „%1“ se nepodařilo uložit: %2\nPřípadný dřívější "
                               u"obsah souboru zůstal beze změny."_s.arg(path, reason)};
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    const QByteArray bytes = csvBytes();
    // A full disk first shows as a short write that Qt does not count as an error (and a commit
    // after it would keep the truncated file); the next write reports the cause.
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            break;
        written += n;
    }
    if (written != bytes.size()) {
        const QString reason =
            file.error() != QFileDevice::NoError ? file.errorString() : u"zápis nebyl dokončen"_s;
        file.cancelWriting();
        return failed(reason);
    }
    if (!file.commit())
        return failed(file.errorString());
    return {};
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
