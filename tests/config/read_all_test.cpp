// The whole read of the input configuration beyond the read scenario: every type code, the
// other linearizations, a failure.

#include "config_fixture.h"

#include "model/eeprom_map.h"

#include "config/text_util.h"
#include "model/input_types.h"

#include <initializer_list>

namespace veld::config::test {
namespace {

class ReadAllTest : public ModelTest {
protected:
    sim::MemoryImage& mem() { return session().simMemory(); }
    void put(std::uint16_t address, std::initializer_list<link::Byte> bytes) {
        ASSERT_TRUE(mem().Write(address, std::vector<link::Byte>(bytes)));
    }
    // Input type, fault current, hardware code, wiring; unit, curves, linearization.
    void store(link::Byte type, link::Byte hwCode, link::Byte wiring, link::Byte unit,
               link::Byte curve, link::Byte lin, float begin, float end) {
        put(400, {type, 2, hwCode, wiring});
        put(408, {unit, curve, curve, lin});
        mem().SetReal(1568, begin);
        mem().SetReal(1572, end);
    }
    std::optional<Outcome> read() { return click(f().Precist); }
};

// Every type code, with the controls its group shows after a read.
TEST_F(ReadAllTest, everyTypeShowsItsControls) {
    for (const model::InputTypeInfo& type : model::InputTypes()) {
        SCOPED_TRACE(type.code);
        store(type.code, 29, 3, type.unitCode, type.sensorCurve, 0, 0.0f, 10.0f);
        EXPECT_EQ(read(), Outcome::Completed);
        const auto group = type.group;
        using G = model::InputGroup;
        EXPECT_EQ(f().Vstup.text, q(type.text));
        EXPECT_EQ(f().PripCidl.visible, group == G::ResistanceThermometer || group == G::Rheostat ||
                                            group == G::Potentiometer ||
                                            group == G::RelativePotentiometer);
        EXPECT_EQ(f().PripCidl.visible ? f().PripCidl.text : QString(),
                  f().PripCidl.visible ? u"třívodičově"_s : QString());
        EXPECT_EQ(f().VzdStKon.visible, group == G::Thermocouple);
        EXPECT_EQ(f().SnOdpor.visible, model::IsCurrentType(&type));
        EXPECT_EQ(f().korekcePV.visible, group == G::ResistanceThermometer);
        EXPECT_EQ(f().DelPomer.visible, group == G::Voltage);
        EXPECT_EQ(f().Pocatek.enabled, group != G::Unified);
        EXPECT_TRUE(f().S_Dolmez.enabled && f().S_Hormez.enabled);
        EXPECT_EQ(f().Linearizace.text, u"nelinearizováno"_s);
        EXPECT_EQ(f().Konec.text(), u"10"_s);
        EXPECT_EQ(f().Prenos.position, 100);
    }
}

TEST_F(ReadAllTest, coldJunctionSquareRootAndDivider) {
    store(11, 35, 0, 32, 1, 2, 0.0f, 400.0f);  // a thermocouple's wiring byte: its cold junction
    EXPECT_EQ(read(), Outcome::Completed);
    EXPECT_EQ(f().VzdStKon.text, u"blízký studený konec"_s);

    store(17, 53, 0, 58, 16, 3, 0.0f, 1.0f);
    put(410, {15});
    EXPECT_EQ(read(), Outcome::Completed);
    EXPECT_EQ(f().Linearizace.text, u"druhá odmocnina"_s);
    EXPECT_FALSE(f().S_Dolmez.enabled || f().S_Hormez.enabled || f().Label18.enabled);

    // The divider shows the single in full.
    store(17, 53, 0, 58, 16, 0, 0.0f, 0.5f);
    mem().SetReal(28, 0.1f);
    EXPECT_EQ(read(), Outcome::Completed);
    EXPECT_EQ(f().DelPomer.text(), u"0.100000001490116"_s);
    EXPECT_EQ(m().config.DividerRatio, static_cast<long double>(0.1f));
}

TEST_F(ReadAllTest, fromFileAsksForTheFileBeforeTheNextWrite) {
    chooseType(u"reostat"_s);
    chooseFromFile(pointFile(u"r.txt"_s, "0 0\n100 100\n"));  // a file chosen earlier
    store(5, 5, 2, 37, 16, 4, 0.0f, 100.0f);
    put(410, {14});
    EXPECT_EQ(read(), Outcome::Completed);
    EXPECT_EQ(f().Linearizace.text, u"ze souboru"_s);
    EXPECT_FALSE(m().state.LinFileChosen);

    prompts.fileRequests.clear();
    click(f().Poslat);
    EXPECT_EQ(prompts.fileRequests.size(), 1);
    EXPECT_TRUE(requests().isEmpty());
    EXPECT_TRUE(m().state.LinFileChosen);
}

// The read scenario holds the request list on a point; the comma and what stays the user's here.
TEST_F(ReadAllTest, currentInputReadsItsSenseResistorAndLeavesTotalForTheUser) {
    useSeparator(DecimalSeparator::Comma);
    store(21, 45, 0, 39, 16, 0, 4.0f, 20.0f);
    mem().SetReal(404, 50.0f);
    EXPECT_EQ(read(), Outcome::Completed);
    EXPECT_EQ(f().SnOdpor.text(), u"50,00000"_s);
    EXPECT_EQ(m().config.SenseResistance, 50.0L);
    EXPECT_TRUE(f().CelkovyOdpor.isEmpty());
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(ReadAllTest, failedReadStopsWhereItWas) {
    store(1, 1, 3, 32, 9, 2, 0.0f, 100.0f);
    mem().SetReal(32, 0.5f);
    session().simFaults().QueueClean(2);
    session().simFaults().SetPermanent({sim::Fault::NoReply()});
    EXPECT_EQ(read(), Outcome::Stopped);
    EXPECT_EQ(f().Prenos.position, 33);
    EXPECT_EQ(f().korekcePV.text(), u"0.50000"_s);
    EXPECT_TRUE(f().Precist.enabled);
    EXPECT_FALSE(f().ButMeasPV.enabled);
    EXPECT_EQ(prompts.messages, QStringList{u"No answer from transmitter !"_s});
}

TEST_F(ReadAllTest, generalTenDigits) {
    EXPECT_EQ(FormatGeneralDigits(0.7f, 10, DecimalSeparator::Point), u"0.6999999881"_s);
    EXPECT_EQ(FormatGeneralDigits(-1234.5678f, 10, DecimalSeparator::Comma), u"-1234,567749"_s);
    EXPECT_EQ(FormatGeneralDigits(12345678901.0L, 10, DecimalSeparator::Point), u"1.23456789E10"_s);
    EXPECT_EQ(FormatGeneralDigits(0.00001L, 10, DecimalSeparator::Point), u"1E-5"_s);
}

}  // namespace
}  // namespace veld::config::test
