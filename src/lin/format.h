#pragma once

#include <string>

namespace veld::lin {

// A real number as the windows show it in messages: up to 15 significant digits, trailing
// zeros dropped, plain notation from 0.0001 up to 15 integer digits, otherwise "1E-5" /
// "2E20". Always a full stop, whatever the process locale says.
std::string FormatGeneral(long double value);

}  // namespace veld::lin
