#include "config_fixture.h"

namespace veld::config::test {
namespace {

class ComPageTest : public ModelTest {
protected:
    void SetUp() override {
        m().com().comPortChosen = [this](int index) {
            chosen << u"COM"_s + QString::number(index + 1);
        };
        m().com().otherPortChosen = [this](const QString& port) { chosen << port; };
    }
    QStringList chosen;
};

TEST_F(ComPageTest, eachChoiceReachesItsHookAndClearsTheOther) {
    m().com().setOtherPorts({u"/dev/ttyUSB0"_s, u"Simulátor"_s});
    m().userSelected(f().SetCom, 3);
    EXPECT_EQ(chosen, QStringList{u"COM4"_s});
    EXPECT_EQ(f().DalsiPorty.itemIndex, -1);
    m().userSelected(f().DalsiPorty, 0);
    EXPECT_EQ(f().SetCom.itemIndex, -1);
    m().userSelected(f().SetCom, 0);
    m().userSelected(f().SetCom, 8);  // no such item
    EXPECT_EQ(chosen, (QStringList{u"COM4"_s, u"/dev/ttyUSB0"_s, u"COM1"_s}));

    // Restoring a choice runs no hook.
    chosen.clear();
    m().com().setOtherPorts({u"/dev/ttyUSB0"_s});
    m().com().selectCom(5);
    EXPECT_EQ(f().SetCom.itemIndex, 5);
    m().com().selectCom(9);
    EXPECT_EQ(f().SetCom.itemIndex, 0);
    m().com().selectOther(u"/dev/ttyACM0"_s);
    EXPECT_EQ(f().DalsiPorty.items, (QStringList{u"/dev/ttyUSB0"_s, u"/dev/ttyACM0"_s}));
    EXPECT_EQ(f().DalsiPorty.itemIndex, 1);
    EXPECT_EQ(f().SetCom.itemIndex, -1);
    EXPECT_TRUE(chosen.isEmpty());

    // A chosen port that vanishes stays chosen.
    m().com().setOtherPorts({u"/dev/ttyUSB0"_s, u"Simulátor"_s});
    m().userSelected(f().DalsiPorty, 1);
    m().com().setOtherPorts({u"/dev/ttyUSB1"_s});
    EXPECT_EQ(f().DalsiPorty.items, (QStringList{u"/dev/ttyUSB1"_s, u"Simulátor"_s}));
    EXPECT_EQ(f().DalsiPorty.itemIndex, 1);
    m().com().selectCom(2);
    m().com().setOtherPorts({u"/dev/ttyUSB2"_s});
    EXPECT_EQ(f().DalsiPorty.itemIndex, -1);
    EXPECT_EQ(f().DalsiPorty.items, QStringList{u"/dev/ttyUSB2"_s});
}

}  // namespace
}  // namespace veld::config::test
