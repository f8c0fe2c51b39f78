#pragma once

#include <QString>
#include <optional>

// Numbers typed into the window and numbers shown in it.
namespace veld::config {

// The decimal separator the window uses for entries and for numbers put back into edits.
enum class DecimalSeparator { Point, Comma };

// The system's separator (QLocale::system()); anything but a comma counts as a point.
DecimalSeparator SystemDecimalSeparator();

// Replaces every "," by "." (point systems) or every "." by "," (comma systems).
QString UpravaFormatu(const QString& text, DecimalSeparator separator);

// The number in the text, written with the given separator; blanks around it are allowed, an
// exponent too. std::nullopt for anything else, also for "inf" and "nan".
std::optional<long double> ParseReal(const QString& text, DecimalSeparator separator);

// Three decimals and a full stop, whatever the system uses: "-200.000".
QString FormatFixed3(long double value);

// Shortest general form (up to 15 significant digits) with the given separator: "25,6".
QString FormatGeneral(long double value, DecimalSeparator separator);

}  // namespace veld::config
