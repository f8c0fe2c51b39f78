// The configuration text file's refusals beyond the scenarios: the configuration file scenarios
// hold its lines, its round trips, malformed files and the values a load leaves alone.

#include "config_fixture.h"

#include "../support/process_limits.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace veld::config::test {
namespace {

class ConfigFileTest : public ModelTest {
protected:
    QByteArray contents(const QString& file) const {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    std::optional<Outcome> save(const QString& file) {
        pick(file);
        return click(f().Ulosoub);
    }
    std::optional<Outcome> load(const QString& file) {
        pick(file);
        return click(f().ctisoub);
    }
};

TEST(CutDecimalText, rangeTextIsCutNotTheSingle) {
    const std::pair<QString, std::optional<long double>> cases[] = {
        {u"0.7"_s, 0.7L},          {u"12.5"_s, 12.5L},       {u"-0.0004"_s, 0.0L},
        {u"1.5e2"_s, 150.0L},      {u"123456e-5"_s, 1.234L}, {u" 7 "_s, 7.0L},
        {u"12,5"_s, std::nullopt}, {u"1e39"_s, std::nullopt}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(CutDecimalText(text, 3), value) << text.toStdString();
    EXPECT_EQ(CutDecimalText(u"-1.23456789"_s, 6), -1.234567L);
}

// A missing file and an overlong line are the unusable files scenario's.
TEST_F(ConfigFileTest, unusableFilesAreRefusedWithTheirReason) {
    for (const auto& [path, says] :
         {std::pair{file(u"big.txt"_s, QByteArray(ConfigFile::kMaxFileBytes + 1, 'a')), u"1 MiB"_s},
          {u"/dev/zero"_s, u"není soubor"_s}}) {
        clearPrompts();
        EXPECT_EQ(load(path), Outcome::Stopped);
        ASSERT_EQ(prompts.messages.size(), 1);
        EXPECT_TRUE(prompts.messages[0].contains(says)) << prompts.messages[0].toStdString();
    }
}

TEST_F(ConfigFileTest, refusedSavesLeaveThePreviousFile) {
    const QString file = this->file(u"keep.txt"_s, "previous");
    chooseType(u"reostat"_s);
    m().userEdited(f().PripCidl, u"dvouvodičově"_s);
    enter(f().Pocatek, u"0"_s);
    f().Konec.setText(u"100 ✓"_s);
    EXPECT_EQ(save(file), Outcome::Stopped);
    EXPECT_TRUE(prompts.messages.value(0).startsWith(u"Znak „✓“"_s));
    EXPECT_EQ(contents(file), "previous");

    f().Konec.setText(u"100"_s);
#ifndef _WIN32
    // A full disk shows only when the write buffer is flushed.
    clearPrompts();
    EXPECT_EQ(testing::WithFileSizeLimit(16, [&] { return save(file); }), Outcome::Stopped);
    EXPECT_EQ(prompts.messages, QStringList{u"Chyba c. 27"_s});
    EXPECT_EQ(contents(file), "previous");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"keep.txt"_s});

    // A FIFO stays what it is.
    const QString fifo = dir.filePath(u"fifo"_s);
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(save(fifo), Outcome::Stopped);
    EXPECT_EQ(prompts.messages.value(1), u"„%1“ není soubor. Nic nebylo uloženo."_s.arg(fifo));
    EXPECT_FALSE(QFileInfo(fifo).isFile());
#endif
}

}  // namespace
}  // namespace veld::config::test
