// Linked, never run, by the libraries-only build (the Windows cross-compile): it states the
// numeric assumptions of the mathematics and pulls one object of each layer through the linker.

#include <cstdint>
#include <limits>

#include "lin/functions.h"
#include "link/dev_float.h"
#include "link/frame.h"
#include "model/uploads.h"

// The mathematics computes in 80-bit extended precision; a long double that is only a double
// would change every uploaded coefficient in its last digits.
static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must have 64 mantissa bits");
static_assert(std::numeric_limits<float>::is_iec559,
              "the transmitter's floats are IEEE 754 single");
static_assert(sizeof(float) == sizeof(std::uint32_t));

int main() {
    const auto pt100 = veld::lin::Characteristic(veld::lin::kCurvePt100, 100.0L);
    const auto bytes = veld::link::EncodeDevFloat(1.5F);
    const auto plan = veld::model::WriteLinKind(veld::model::LinKind{});
    return pt100.value.has_value() && veld::link::DecodeDevFloat(bytes) == 1.5F && !plan.empty()
               ? 0
               : 1;
}
