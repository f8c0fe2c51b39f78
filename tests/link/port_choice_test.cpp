#include "link/port_choice.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace veld::link {
namespace {

class PortChoiceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("veld.ini")), QSettings::IniFormat};
    PortChoice port;
};

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

TEST(PortChoiceStore, CorruptOrUnreadableStoreFallsBackToCom1) {
    struct Row {
        const char* what;
        QByteArray content;
    };
    const Row rows[] = {
        {"binary garbage", QByteArray("\x00\xff\xfe[[[=\n\x01\x02", 10)},
        {"broken section, port still readable", "[General\nComPort=Com3\n"},
        {"other port as bytes", "[General]\nComPortDevice=@ByteArray(\\0\\xff)\n"},
        {"other port with a NUL", "[General]\nComPortDevice=/dev/\\0tty\n"},
        {"other port as a list", "[General]\nComPortDevice=a, b\n"},
        {"unknown stored type", "[General]\nComPortDevice=@Variant(\\0\\0\\0\\x7f\\0)\n"},
    };
    QTemporaryDir dir;
    int n = 0;
    for (const Row& row : rows) {
        // A file of its own each: the store caches what it has read by path.
        const QString path = dir.filePath(QStringLiteral("veld%1.ini").arg(++n));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(row.content);
        file.close();
        QSettings settings(path, QSettings::IniFormat);
        PortChoice port;
        port.selectOther(QStringLiteral("/dev/ttyUSB9"));
        port.restore(settings);
        EXPECT_EQ(port.portName(), "COM1") << row.what;
    }
    // A folder where the file should be cannot be read.
    QSettings folder(dir.path(), QSettings::IniFormat);
    PortChoice port;
    port.restore(folder);
    EXPECT_EQ(port.portName(), "COM1");
}

TEST_F(PortChoiceTest, UnrememberedChoiceLeavesTheSettingsAlone) {
    port.selectOther(QStringLiteral("simulator"), false);
    port.recordOpened(settings);
    EXPECT_TRUE(settings.allKeys().isEmpty());
}

}  // namespace
}  // namespace veld::link
