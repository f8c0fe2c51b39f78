// The configuration text file: exact bytes and refusals; the round trip of each page is the
// configuration file round trip scenario's.

#include "config_fixture.h"

#include <QStringEncoder>
#include <QTemporaryDir>

#include "../support/process_limits.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace veld::config::test {
namespace {

QByteArray Cp1250(const QString& text) {
    return QStringEncoder("windows-1250").encode(text);
}
const QString kHeader = u"Konfigurační data pro GALVO-PRIM:\r\n\r\n"_s;

class ConfigFileTest : public ModelTest {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QByteArray contents(const QString& file) const {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QString write(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path(name);
    }
    std::optional<Outcome> withFile(Button& button, const QString& file) {
        if (!file.isEmpty())
            prompts.fileAnswers.append(file);
        return click(button);
    }
    std::optional<Outcome> save(const QString& file) { return withFile(f().Ulosoub, file); }
    std::optional<Outcome> load(const QString& file) { return withFile(f().ctisoub, file); }

    // What a user sees of the input page, and the record behind it.
    QStringList page() {
        MainForm& p = f();
        const auto g = [](long double v) { return FormatGeneral(v, DecimalSeparator::Point); };
        // clang-format off
        return {p.Vstup.text, p.PripCidl.text, p.Pocatek.text(), p.Konec.text(), p.Label8.caption,
                p.Linearizace.text, p.VolenaJednotka.text, p.Tlumeni.text(), p.Chybproud.text,
                p.VzdStKon.text, p.DelPomer.text(), p.SnOdpor.text(), p.CelkovyOdpor.text(),
                g(m().config.PvCorrection), QString::number(m().config.UnitCode),
                g(m().config.RangeBegin), g(m().config.RangeEnd),
                p.PresnaLin.checked ? u"přesná"_s : QString()};
        // clang-format on
    }
    void pick(ComboBox& combo, const QString& item) {
        m().userSelected(combo, static_cast<int>(combo.items.indexOf(item)));
    }

    QTemporaryDir dir_;
};

TEST_F(ConfigFileTest, thermocoupleFileHoldsTheDocumentedLines) {
    chooseType(u"termočlánek K"_s);
    enter(f().Pocatek, u"-50"_s);
    enter(f().Konec, u"400"_s);
    ASSERT_EQ(save(path(u"k.txt"_s)), Outcome::Completed);
    EXPECT_EQ(contents(path(u"k.txt"_s)),
              Cp1250(kHeader + u"vstup: termočlánek K\r\ndolní mez: -50\r\nhorní mez: 400\r\n"
                               u"jednotka: °C\r\nlinearizace: linearizováno\r\ntlumení: 0.5s\r\n"
                               u"chybový proud: vyřazen\r\nvzdálenost st. konce: \r\n"_s));
}

// Sensor matching travels in four lines of its own; a flaw in them costs only the matching.
TEST_F(ConfigFileTest, sensorMatchingLoadsBackAndAFlawInItLosesNothingElse) {
    chooseType(u"odporový teploměr Pt100"_s);
    pick(f().PripCidl, u"třívodičově"_s);
    enter(f().Pocatek, u"-50"_s);
    enter(f().Konec, u"150"_s);
    const lin::PlatinumCoefficients k{100.05L, 3.91e-3L, -5.78e-7L, -4.18e-12L};
    m().state.MatchedPlatinum = k;
    ASSERT_EQ(save(path(u"cvd.txt"_s)), Outcome::Completed);
    const QByteArray lines = Cp1250(
        u"čidlo R0: 100.05\r\nčidlo A: 0.00391\r\n"
        u"čidlo B: -5.78E-7\r\nčidlo C: -4.18E-12\r\n"_s);
    EXPECT_TRUE(contents(path(u"cvd.txt"_s)).endsWith(lines));
    useSeparator(DecimalSeparator::Comma);
    ASSERT_EQ(load(path(u"cvd.txt"_s)), Outcome::Completed);
    EXPECT_EQ(m().state.MatchedPlatinum, k);

    QByteArray flawed = contents(path(u"cvd.txt"_s));
    flawed.replace("A: 0.00391", "A: 0,00391");
    clearPrompts();
    ASSERT_EQ(load(write(u"flawed.txt"_s, flawed)), Outcome::Completed);
    EXPECT_EQ(prompts.messages.join(u'|'),
              u"Přizpůsobení čidlu ze souboru nebylo použito: řádek „čidlo A: 0,00391“ "
              u"nemá číselnou hodnotu. Ostatní údaje byly načteny."_s);
    EXPECT_FALSE(m().state.MatchedPlatinum);
    EXPECT_EQ(f().Pocatek.text(), u"-50"_s);
}

TEST_F(ConfigFileTest, malformedFilesChangeNothing) {
    const QByteArray good = Cp1250(kHeader +
                                   u"vstup: reostat\r\ndolní mez: 0\r\nhorní mez: 100\r\n"
                                   u"jednotka: Ohm\r\nlinearizace: nelinearizováno\r\n"
                                   u"tlumení: 1s\r\nchybový proud: nadproud\r\n"
                                   u"připojení čidla: dvouvodičově\r\n"_s);
    ASSERT_EQ(load(write(u"good.txt"_s, good)), Outcome::Completed);
    EXPECT_EQ(f().Vstup.text, u"reostat"_s);
    chooseType(u"termočlánek J"_s);
    const QStringList before = page();
    const auto variant = [&](const char* from, const char* to) {
        return QByteArray(good).replace(from, to);
    };
    // clang-format off
    const QByteArray bad[] = {
        variant("GALVO", "galvo"), variant("PRIM:\r\n\r\n", "PRIM:\r\nx\r\n"), variant("vstup: ", "vstup:"),
        variant("vstup: reostat", "Vstup: reostat"), variant("vstup: reostat", "vstup: rezistor"),
        variant("mez: 0", "mez: 12,5"), variant("p\xf8ipojen\xed \xe8idla: dvouvodi\xe8ov\xec\r\n", ""),
        good.left(40), good + Cp1250(u"přesná linearizace: ne\r\n"_s)};
    // clang-format on
    for (const QByteArray& bytes : bad) {
        SCOPED_TRACE(bytes.toStdString());
        clearPrompts();
        EXPECT_EQ(load(write(u"bad.txt"_s, bytes)), Outcome::Stopped);
        EXPECT_EQ(prompts.messages, QStringList{u"Chyba v datech souboru."_s});
        EXPECT_EQ(page(), before);
    }
}

TEST_F(ConfigFileTest, valuesOutsideTheirListsAndACancelledFileChoiceLeaveTheTypePreset) {
    const auto file = [&](const char* unit, const char* lin) {
        return write(u"t.txt"_s,
                     Cp1250(kHeader + u"vstup: termočlánek J\r\ndolní mez: 0\r\nhorní mez: 700\r\n"
                                      u"jednotka: %1\r\nlinearizace: %2\r\ntlumení: 3s\r\n"
                                      u"chybový proud: nadproud\r\n"
                                      u"vzdálenost st. konce: interní studený konec\r\n"_s.arg(
                                          QString::fromUtf8(unit), QString::fromUtf8(lin))));
    };
    for (const auto& [unit, lin] : {std::pair{"K", "lineární"}, std::pair{"°C", "ze souboru"}}) {
        SCOPED_TRACE(lin);
        clearPrompts();
        EXPECT_EQ(load(file(unit, lin)), Outcome::Completed);  // no points file: cancelled
        EXPECT_EQ(f().Linearizace.text, u"linearizováno"_s);
        EXPECT_EQ(f().Label8.caption, u"°C"_s);
        EXPECT_EQ(f().Tlumeni.text(), u"3"_s);
        EXPECT_EQ(f().VzdStKon.text, u"interní studený konec"_s);
        EXPECT_EQ(f().Konec.text(), lin == std::string("ze souboru") ? QString() : u"700"_s);
    }
    EXPECT_EQ(prompts.fileRequests.size(), 2);  // the configuration, then the points file
}

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
    for (const auto& [file, says] :
         {std::pair{write(u"big.txt"_s, QByteArray(ConfigFile::kMaxFileBytes + 1, 'a')),
                    u"1 MiB"_s},
          {u"/dev/zero"_s, u"není soubor"_s}}) {
        clearPrompts();
        EXPECT_EQ(load(file), Outcome::Stopped);
        ASSERT_EQ(prompts.messages.size(), 1);
        EXPECT_TRUE(prompts.messages[0].contains(says)) << prompts.messages[0].toStdString();
    }
}

TEST_F(ConfigFileTest, refusedSavesLeaveThePreviousFile) {
    const QString file = write(u"keep.txt"_s, "previous");
    chooseType(u"reostat"_s);
    pick(f().PripCidl, u"dvouvodičově"_s);
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
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{u"keep.txt"_s});

    // A FIFO stays what it is.
    const QString fifo = path(u"fifo"_s);
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(save(fifo), Outcome::Stopped);
    EXPECT_EQ(prompts.messages.value(1), u"„%1“ není soubor. Nic nebylo uloženo."_s.arg(fifo));
    EXPECT_FALSE(QFileInfo(fifo).isFile());
#endif
}

}  // namespace
}  // namespace veld::config::test
