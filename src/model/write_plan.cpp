#include "model/write_plan.h"

#include "link/dev_float.h"

namespace veld::model {

std::vector<std::uint8_t> RealBytes(std::span<const float> values) {
    std::vector<std::uint8_t> out;
    out.reserve(values.size() * eeprom::kRealLength);
    for (float v : values) {
        const link::FloatBytes b = link::EncodeDevFloat(v);
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

std::vector<std::uint8_t> RealBytes(std::initializer_list<float> values) {
    return RealBytes(std::span<const float>(values.begin(), values.size()));
}

}  // namespace veld::model
