#include "config/number_format.h"

#include "lin/format.h"

#include <QLocale>
#include <cmath>
#include <string>

namespace veld::config {

DecimalSeparator SystemDecimalSeparator() {
    return QLocale::system().decimalPoint() == QStringLiteral(",") ? DecimalSeparator::Comma
                                                                   : DecimalSeparator::Point;
}

QString UpravaFormatu(const QString& text, DecimalSeparator separator) {
    QString result = text;
    if (separator == DecimalSeparator::Point)
        result.replace(QLatin1Char(','), QLatin1Char('.'));
    else
        result.replace(QLatin1Char('.'), QLatin1Char(','));
    return result;
}

std::optional<long double> ParseReal(const QString& text, DecimalSeparator separator) {
    const QString trimmed = text.trimmed();
    // The other separator is no number here, as the system's own conversion would refuse it.
    const QLatin1Char other(separator == DecimalSeparator::Point ? ',' : '.');
    if (trimmed.isEmpty() || trimmed.contains(other))
        return std::nullopt;
    QString plain = trimmed;
    if (separator == DecimalSeparator::Comma)
        plain.replace(QLatin1Char(','), QLatin1Char('.'));
    return lin::ParseReal(plain.toStdString());
}

QString FormatFixed3(long double value) {
    // QString::number never uses the locale: always a full stop.
    QString text = QString::number(static_cast<double>(value), 'f', 3);
    if (text == QStringLiteral("-0.000"))
        text = QStringLiteral("0.000");
    return text;
}

QString FormatGeneral(long double value, DecimalSeparator separator) {
    QString text = QString::fromStdString(lin::FormatGeneral(value));
    if (separator == DecimalSeparator::Comma)
        text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

}  // namespace veld::config
