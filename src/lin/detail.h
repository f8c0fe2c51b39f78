#pragma once

// Shared by the mathematics' own sources; not for callers.

#include "lin/functions.h"

#include <optional>
#include <string_view>

namespace veld::lin::detail {

inline constexpr std::string_view kUnknownCurve = "Dany prubeh neni v programu jeste zadan";

// Limits of the transmitter's 4-byte float.
inline constexpr long double kDevFloatMax = 1.7014117E+38L;
inline constexpr long double kDevFloatMin = 2.9387359E-39L;

// The characteristic without the message: std::nullopt for an unknown code.
std::optional<long double> Evaluate(int code, long double value, const CurveParams& params);

}  // namespace veld::lin::detail
