// The code page of the user note and the configuration files, which the scenarios' files use too.

#include "config/cp1250.h"

#include <gtest/gtest.h>
#include <QStringDecoder>

namespace veld::config::test {
namespace {

TEST(Cp1250, tableAgreesWithTheSystemConverter) {
    QStringDecoder decoder("windows-1250");
    if (!decoder.isValid())
        GTEST_SKIP() << "no windows-1250 converter on this system";
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const QString c = decoder.decode(QByteArray(1, byte));
        ASSERT_EQ(c, QString(QChar(cp1250::UpperHalf(static_cast<unsigned char>(b))))) << b;
        EXPECT_EQ(cp1250::Encode(c).bytes, QByteArray(1, byte)) << b;
    }
}

}  // namespace
}  // namespace veld::config::test
