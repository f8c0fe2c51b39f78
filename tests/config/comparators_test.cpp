// Which outputs a transmitter has; the page "Relé" itself is the comparator scenarios'.

#include "config_fixture.h"

namespace veld::config::test {
namespace {

TEST(ComparatorPresence, outputOneIsBitSevenOfModeFlagsTheOthersTheEquipmentByte) {
    struct Case {
        int k;
        std::uint8_t modeFlags, equipment;
        bool present;
    };
    for (const Case& c :
         {Case{1, 0x80, 0x00, true}, Case{1, 0x7F, 0x07, false}, Case{2, 0x00, 0x01, true},
          Case{3, 0x80, 0x05, false}, Case{4, 0x00, 0x03, false}, Case{4, 0x00, 0x07, true}}) {
        EXPECT_EQ(Comparators::OutputPresent(c.k, c.modeFlags, c.equipment), c.present)
            << "output " << c.k;
    }
}

}  // namespace
}  // namespace veld::config::test
