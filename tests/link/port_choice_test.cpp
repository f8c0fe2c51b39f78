#include "link/port_choice.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace veld::link {
namespace {

class PortChoiceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("veld.ini")), QSettings::IniFormat};
    PortChoice port;
};

TEST_F(PortChoiceTest, FirstStartSelectsCom1AndWritesNothing) {
    port.restore(settings);
    EXPECT_EQ(port.comIndex(), 0);
    EXPECT_EQ(port.portName(), "COM1");
    EXPECT_TRUE(settings.allKeys().isEmpty());
}

TEST_F(PortChoiceTest, OnlyTheExactSpellingIsRecognised) {
    struct Row {
        const char* saved;
        int index;
    };
    const Row rows[] = {{"Com6", 5}, {"Com1", 0}, {"Com8", 7},  {"COM3", 0},
                        {"com3", 0}, {"Com9", 0}, {"Com3 ", 0}, {"", 0}};
    for (const Row& row : rows) {
        settings.setValue(PortChoice::kComPortKey, QString::fromLatin1(row.saved));
        port.restore(settings);
        EXPECT_EQ(port.comIndex(), row.index) << row.saved;
    }
}

TEST_F(PortChoiceTest, RecordWritesComNWithCapitalC) {
    port.selectCom(5);
    port.recordOpened(settings);
    EXPECT_EQ(settings.value(PortChoice::kComPortKey).toString(), QStringLiteral("Com6"));
    EXPECT_EQ(port.numberText(), QStringLiteral("6"));
}

TEST_F(PortChoiceTest, OtherPortIsKeptApartFromTheComItems) {
    port.selectCom(2);
    port.recordOpened(settings);
    port.selectOther(QStringLiteral("/dev/ttyUSB0"));
    port.recordOpened(settings);
    EXPECT_EQ(settings.value(PortChoice::kComPortKey).toString(), QStringLiteral("Com3"));
    EXPECT_EQ(port.portName(), "/dev/ttyUSB0");
    EXPECT_EQ(port.numberText(), QStringLiteral("/dev/ttyUSB0"));

    PortChoice restored;
    restored.restore(settings);
    EXPECT_EQ(restored.otherPort(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(restored.comIndex(), 2);

    // Going back to a COM item forgets the other port.
    restored.selectCom(0);
    restored.recordOpened(settings);
    EXPECT_FALSE(settings.contains(PortChoice::kOtherPortKey));
    EXPECT_EQ(settings.value(PortChoice::kComPortKey).toString(), QStringLiteral("Com1"));
}

TEST_F(PortChoiceTest, UnrememberedChoiceLeavesTheSettingsAlone) {
    port.selectOther(QStringLiteral("simulator"), false);
    port.recordOpened(settings);
    EXPECT_TRUE(settings.allKeys().isEmpty());
}

}  // namespace
}  // namespace veld::link
