// The user note at 512: 60 bytes of windows-1250, padded with blanks. The note scenarios hold
// what is written and read.

#include "config_fixture.h"

#include "config/cp1250.h"

#include <QStringDecoder>

namespace veld::config::test {
namespace {

class UserNoteTest : public ModelTest {
protected:
    UserNote& note() { return m().userNote(); }
};

TEST_F(UserNoteTest, progressMovesOnlyWhenTheNoteButtonsAskForIt) {
    f().Prenos.position = 42;
    note().NoteProgress = false;
    EXPECT_EQ(note().cteni_uz_pozn(), Outcome::Completed);
    EXPECT_EQ(f().Prenos.position, 42);

    session().simFaults().QueueClean(2);
    session().simFaults().SetPermanent({sim::Fault::NoReply()});
    f().EditUzPozn.setText(u"keep"_s);
    EXPECT_EQ(note().Prec_PoznClick(), Outcome::Stopped);
    EXPECT_EQ(f().Prenos.position, 50);
    EXPECT_EQ(f().EditUzPozn.text(), u"keep"_s);
}

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
