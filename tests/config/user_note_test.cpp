// The user note at 512: 60 bytes of windows-1250, padded with blanks.

#include "config_fixture.h"

#include "config/cp1250.h"

#include <QStringDecoder>

namespace veld::config::test {
namespace {

class UserNoteTest : public ModelTest {
protected:
    UserNote& note() { return m().userNote(); }
    QByteArray stored() {
        const auto bytes = session().simMemory().Read(512, 60).value();
        return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                          static_cast<qsizetype>(bytes.size()));
    }
    void storeNote(const QByteArray& bytes) {
        ASSERT_TRUE(session().simMemory().Write(
            512, std::span(reinterpret_cast<const link::Byte*>(bytes.constData()),
                           static_cast<std::size_t>(bytes.size()))));
    }
};

TEST_F(UserNoteTest, emptyNoteAndNoteNeverWritten) {
    f().EditUzPozn.setText(QString());
    EXPECT_EQ(note().Uloz_PoznClick(), Outcome::Completed);
    EXPECT_EQ(stored(), QByteArray(60, ' '));
    f().EditUzPozn.setText(u"x"_s);
    EXPECT_EQ(note().Prec_PoznClick(), Outcome::Completed);
    EXPECT_TRUE(f().EditUzPozn.isEmpty());

    // A note never written shows its bytes.
    storeNote(QByteArray(60, '\xff'));
    EXPECT_EQ(note().Prec_PoznClick(), Outcome::Completed);
    EXPECT_EQ(f().EditUzPozn.text(), QString(60, QChar(0x02D9)));  // "˙", 0xFF in windows-1250
}

TEST_F(UserNoteTest, textTheTransmitterCannotHoldIsRefusedBeforeAnythingIsSent) {
    for (const QString& text : {u"Teplota 20 °C ✓"_s, QString(61, u'a')}) {
        f().EditUzPozn.setText(text);
        clearPrompts();
        EXPECT_EQ(note().Uloz_PoznClick(), Outcome::Stopped);
        ASSERT_EQ(prompts.messages.size(), 1);
        EXPECT_TRUE(prompts.messages[0].endsWith(u"Poznámka nebyla uložena."_s));
    }
    EXPECT_TRUE(prompts.messages[0].contains(u"61"_s));
    EXPECT_TRUE(requests().isEmpty());
}

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
