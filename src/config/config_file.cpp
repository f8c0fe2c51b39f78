#include "config/config_file.h"

#include "config/calibration.h"
#include "config/cp1250.h"
#include "config/entry_checks.h"
#include "config/file_write.h"
#include "config/handler_support.h"
#include "config/input_rules.h"
#include "config/lin_file.h"
#include "config/lin_preview.h"
#include "config/main_form.h"
#include "config/messages.h"
#include "config/sensor_match.h"
#include "config/text_util.h"
#include "lin/format.h"
#include "model/code_tables.h"
#include "model/input_types.h"
#include "model/transmitter_config.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <span>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {

namespace {

using model::InputGroup;
using model::InputTypeInfo;

const QString kHeader = u"Konfigurační data pro GALVO-PRIM:"_s;
const QString kLineEnd = u"\r\n"_s;

const QString kTypeKey = u"vstup: "_s;
const QString kBeginKey = u"dolní mez: "_s;
const QString kEndKey = u"horní mez: "_s;
const QString kUnitKey = u"jednotka: "_s;
const QString kLinKey = u"linearizace: "_s;
const QString kDampingKey = u"tlumení: "_s;
const QString kFaultKey = u"chybový proud: "_s;
// Only in files saved with the precise table chosen; a file without it loads as before.
const QString kPreciseKey = u"přesná linearizace: "_s;
const QString kYes = u"ano"_s;
// Only while sensor matching is on: the sensor's coefficients, C last and optional.
const QString kR0Key = u"čidlo R0: "_s;
const QString kAKey = u"čidlo A: "_s;
const QString kBKey = u"čidlo B: "_s;
const QString kCKey = u"čidlo C: "_s;

// The lines that follow the common ones, by input type.
enum class Extra {
    Connection,
    Correction,
    ResistorPairTotal,
    PotentiometerTotal,
    ColdJunction,
    Divider,
    VoltageTotal,
    SenseResistor,
    CurrentTotal,
};

QString KeyOf(Extra line) {
    switch (line) {
        case Extra::Connection:
            return u"připojení čidla: "_s;
        case Extra::Correction:
            return u"Parazitní odpor: "_s;
        case Extra::ResistorPairTotal:
            return u"max. hodnota součtu obou rezistorů: "_s;
        case Extra::PotentiometerTotal:
            return u"max. hodnota potenciometru: "_s;
        case Extra::ColdJunction:
            return u"vzdálenost st. konce: "_s;
        case Extra::Divider:
            return u"zeslabení děličem: "_s;
        case Extra::VoltageTotal:
            return u"max. hodnota napětí: "_s;
        case Extra::SenseResistor:
            return u"snímací odpor: "_s;
        case Extra::CurrentTotal:
            return u"maximální hodnota proudu: "_s;
    }
    return {};
}

std::vector<Extra> ExtrasOf(const InputTypeInfo* type) {
    if (!type)
        return {};
    switch (type->group) {
        case InputGroup::ResistanceThermometer:
            return {Extra::Connection, Extra::Correction};
        case InputGroup::Rheostat:
        case InputGroup::Potentiometer:
            return {Extra::Connection};
        case InputGroup::ResistorDifference:
            return {Extra::ResistorPairTotal};
        case InputGroup::RelativePotentiometer:
            return {Extra::Connection, Extra::PotentiometerTotal};
        case InputGroup::Thermocouple:
            return {Extra::ColdJunction};
        case InputGroup::Voltage:
            return {Extra::Divider};
        case InputGroup::VoltageDifference:
            return {Extra::VoltageTotal, Extra::Divider};
        case InputGroup::Current:
            return {Extra::SenseResistor};
        case InputGroup::CurrentDifference:
            return {Extra::SenseResistor, Extra::CurrentTotal};
        case InputGroup::Unified:
            return {};
    }
    return {};
}

// Range ends of the small electrical signals keep six decimals, all others three.
int RangeDecimals(const InputTypeInfo* type) {
    return type && (type->group == InputGroup::Voltage || type->group == InputGroup::Current ||
                    type->group == InputGroup::CurrentDifference)
               ? 6
               : 3;
}

// Numbers in the file carry a full stop whatever the system uses, so that a file loads on any
// system; on loading they get the system's separator before the change handlers convert them.
QString WithPoint(const QString& text) {
    QString result = text;
    result.replace(u',', u'.');
    return result;
}

QString Decimals3(long double value) {
    return QString::number(static_cast<double>(value), 'f', 3);
}

QString FileErrorMessage(const QString& path) {
    int code = LastSystemError();
    if (code == 0)
        code = QFileInfo(path).isDir() ? EISDIR : EIO;
    return FileErrorText(code);
}

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

}  // namespace

std::optional<long double> CutDecimalText(const QString& text, int decimals) {
    const std::string word = text.trimmed().toStdString();
    const lin::BoundedReal bounded = lin::ParseBoundedReal(word);
    if (bounded.status == lin::BoundedReal::NotANumber)
        return std::nullopt;
    if (bounded.status == lin::BoundedReal::OutOfRange)
        return std::fabs(bounded.value) < 1 ? std::optional<long double>(0) : std::nullopt;
    if (bounded.value == 0)
        return 0.0L;

    // Sign, digits with the place of the point, exponent: the number is read as text again.
    std::size_t at = 0;
    bool negative = false;
    if (word[at] == '+' || word[at] == '-')
        negative = word[at++] == '-';
    std::string digits;
    long point = -1;
    for (; at < word.size() &&
           (std::isdigit(static_cast<unsigned char>(word[at])) || word[at] == '.');
         ++at) {
        if (word[at] == '.')
            point = static_cast<long>(digits.size());
        else
            digits.push_back(word[at]);
    }
    if (point < 0)
        point = static_cast<long>(digits.size());
    if (at < word.size()) {  // the exponent, as the parser above has accepted it
        long exponent = 0;
        const char* first = word.data() + at + 1;
        if (*first == '+')
            ++first;
        const auto res = std::from_chars(first, word.data() + word.size(), exponent);
        if (res.ec != std::errc())
            return std::nullopt;
        point += exponent;
    }

    const auto size = static_cast<long>(digits.size());
    std::string whole =
        point <= 0 ? "0" : digits.substr(0, static_cast<std::size_t>(std::min(point, size)));
    if (point > size)
        whole.append(static_cast<std::size_t>(point - size), '0');
    std::string fraction;
    if (point < 0)
        fraction.assign(static_cast<std::size_t>(-point), '0');
    if (point < size)
        fraction += digits.substr(static_cast<std::size_t>(std::max(point, 0L)));
    fraction.resize(std::min(fraction.size(), static_cast<std::size_t>(decimals)));
    const std::string cut =
        (negative ? "-" : "") + whole + (fraction.empty() ? "" : "." + fraction);
    const auto value = lin::ParseReal(cut);
    if (!value)
        return std::nullopt;
    return *value == 0 ? 0.0L : *value;  // no "-0" from a cut-off negative fraction
}

struct ConfigFile::Configuration {
    const InputTypeInfo* type = nullptr;
    long double begin = 0;
    long double end = 0;
    QString unit, lin, damping, fault;
    std::vector<std::pair<Extra, QString>> extras;
    bool precise = false;
    // The lines of sensor matching were there: the coefficients, or why they cannot be used.
    bool matched = false;
    lin::PlatinumCoefficients platinum;
    QString matchError;
};

struct ConfigFile::Parsed {
    std::vector<Configuration> configurations;
    bool ok = false;
};

ConfigFile::ConfigFile(Editor& editor, InputRules& rules, EntryChecks& checks,
                       Calibration& calibration)
    : e_(editor), rules_(rules), checks_(checks), calibration_(calibration) {}

QStringList ConfigFile::Lines() const {
    const MainForm& f = e_.form;
    QStringList lines{kHeader,
                      QString(),
                      kTypeKey + f.Vstup.text,
                      kBeginKey + WithPoint(f.Pocatek.text()),
                      kEndKey + WithPoint(f.Konec.text()),
                      kUnitKey + f.Label8.caption,
                      kLinKey + f.Linearizace.text,
                      kDampingKey + WithPoint(f.Tlumeni.text()) + u"s"_s,
                      kFaultKey + f.Chybproud.text};
    const model::TransmitterConfig& c = e_.config;
    for (const Extra line : ExtrasOf(model::FindInputType(utf8(f.Vstup.text)))) {
        QString value;
        switch (line) {
            case Extra::Connection:
                value = f.PripCidl.text;
                break;
            case Extra::Correction:
                value = Decimals3(c.PvCorrection).rightJustified(5);
                break;
            case Extra::ResistorPairTotal:
            case Extra::PotentiometerTotal:
            case Extra::VoltageTotal:
                // Empty after a read: the transmitter does not keep it (a save asks for it).
                if (!f.CelkovyOdpor.isEmpty())
                    value = Decimals3(c.TotalResistance);
                break;
            case Extra::ColdJunction:
                value = f.VzdStKon.text;
                break;
            case Extra::Divider:
                value = WithPoint(f.DelPomer.text());
                break;
            case Extra::SenseResistor:
                value = WithPoint(f.SnOdpor.text());
                break;
            case Extra::CurrentTotal:
                value = WithPoint(f.CelkovyOdpor.text());
                break;
        }
        lines.append(KeyOf(line) + value);
    }
    if (f.PresnaLin.checked && LinPreview::PreciseApplies(f))
        lines.append(kPreciseKey + kYes);
    if (const auto k = SensorMatch::InForce(f, e_.state)) {
        const auto number = [](long double v) {
            return QString::fromStdString(lin::FormatGeneral(v));
        };
        lines << kR0Key + number(k->r0) << kAKey + number(k->a) << kBKey + number(k->b)
              << kCKey + number(k->c);
    }
    return lines;
}

Outcome ConfigFile::UlosoubClick() {
    ButtonBusy busy(e_.form.Ulosoub);
    e_.state.IncompleteInput = false;
    checks_.Testvyplneni();
    if (e_.state.IncompleteInput)
        return Outcome::Stopped;
    const FileDialogSettings& d = e_.form.SaveDialog2;
    const auto path = e_.prompts.saveFile({d.title, d.filter,
                                           ResolveInitialDirectory(d.initialDirectory, e_.settings),
                                           d.defaultExtension});
    if (!path)
        return Outcome::Declined;
    e_.form.SaveDialog2.fileName = *path;
    return save(*path);
}

Outcome ConfigFile::save(const QString& path) {
    const QStringList lines = Lines();
    for (const QString& line : lines) {
        for (const QChar c : line) {
            if (c.unicode() < 0x20) {
                e_.prompts.message(kMsgControlCharacter.arg(line));
                return Outcome::Stopped;
            }
        }
    }
    const cp1250::Encoded encoded = cp1250::Encode(lines.join(kLineEnd) + kLineEnd);
    if (!encoded.ok()) {
        e_.prompts.message(kMsgConfigUnencodable.arg(encoded.unencodable));
        return Outcome::Stopped;
    }
    // A failed save leaves the previous file as it was.
    const FileWrite written = WriteFileAtomically(path, encoded.bytes);
    if (written.status == FileWrite::NotAFile) {
        e_.prompts.message(kMsgNotAFileNothingSaved.arg(Shown(path)));
        return Outcome::Stopped;
    }
    if (!written) {
        e_.prompts.message(FileErrorText(written.error));
        return Outcome::Stopped;
    }
    return Outcome::Completed;
}

Outcome ConfigFile::ctisoubClick() {
    const FileDialogSettings& d = e_.form.OpenDialog2;
    const auto path = e_.prompts.openFile({d.title, d.filter,
                                           ResolveInitialDirectory(d.initialDirectory, e_.settings),
                                           d.defaultExtension});
    if (!path)
        return Outcome::Declined;
    ButtonBusy busy(e_.form.ctisoub);
    e_.form.OpenDialog2.fileName = *path;
    return load(*path);
}

Outcome ConfigFile::load(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        e_.prompts.message(kMsgNotAFileNothingLoaded.arg(Shown(path)));
        return Outcome::Stopped;
    }
    QFile file(path);
    ClearSystemError();
    if (!file.open(QIODevice::ReadOnly)) {
        e_.prompts.message(FileErrorMessage(path));
        return Outcome::Stopped;
    }
    // Bounded whatever the file claims to be: one byte more than allowed tells it is too large.
    ClearSystemError();
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        e_.prompts.message(FileErrorMessage(path));
        return Outcome::Stopped;
    }
    file.close();
    if (bytes.size() > kMaxFileBytes) {
        e_.prompts.message(kMsgConfigTooLarge.arg(Shown(path)));
        return Outcome::Stopped;
    }

    QStringList lines = cp1250::Decode(bytes).split(u'\n');
    if (lines.size() > 1 && lines.back().isEmpty())
        lines.removeLast();  // the line end of the last line
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].endsWith(u'\r'))
            lines[i].chop(1);
        if (lines[i].size() > kMaxLineLength) {
            e_.prompts.message(
                kMsgConfigLineTooLong.arg(i + 1).arg(Shown(path)).arg(kMaxLineLength));
            return Outcome::Stopped;
        }
    }
    // Blank lines after the last configuration are no configuration of their own.
    while (!lines.isEmpty() && lines.back().trimmed().isEmpty())
        lines.removeLast();

    const Parsed parsed = parse(lines.join(u'\n'));
    if (!parsed.ok) {
        e_.prompts.message(kMsgFileDataError);
        return Outcome::Stopped;
    }
    for (const Configuration& c : parsed.configurations)
        apply(c);
    return Outcome::Completed;
}

ConfigFile::Parsed ConfigFile::parse(const QString& text) const {
    Parsed result;
    const QStringList lines = text.split(u'\n');
    qsizetype at = 0;
    const auto take = [&](const QString& key, QString& value) {
        if (at >= lines.size() || !lines[at].startsWith(key))
            return false;
        value = lines[at++].mid(key.size());
        return true;
    };
    do {
        if (at + 1 >= lines.size() || lines[at] != kHeader || !lines[at + 1].isEmpty())
            return result;
        at += 2;
        Configuration c;
        QString typeText, begin, end;
        if (!take(kTypeKey, typeText) || !take(kBeginKey, begin) || !take(kEndKey, end) ||
            !take(kUnitKey, c.unit) || !take(kLinKey, c.lin) || !take(kDampingKey, c.damping) ||
            !take(kFaultKey, c.fault))
            return result;
        c.type = model::FindInputType(utf8(typeText));
        if (!c.type)
            return result;
        const int decimals = RangeDecimals(c.type);
        const auto beginValue = CutDecimalText(begin, decimals);
        const auto endValue = CutDecimalText(end, decimals);
        if (!beginValue || !endValue)
            return result;
        c.begin = *beginValue;
        c.end = *endValue;
        for (const Extra line : ExtrasOf(c.type)) {
            QString value;
            if (!take(KeyOf(line), value))
                return result;
            c.extras.emplace_back(line, value);
        }
        if (QString precise; take(kPreciseKey, precise)) {
            if (precise != kYes)
                return result;
            c.precise = true;
        }
        if (QString r0; take(kR0Key, r0)) {
            // A flaw here costs only the matching: the rest of the file still loads.
            c.matched = true;
            const std::pair<const QString*, long double*> fields[] = {{&kR0Key, &c.platinum.r0},
                                                                      {&kAKey, &c.platinum.a},
                                                                      {&kBKey, &c.platinum.b},
                                                                      {&kCKey, &c.platinum.c}};
            for (const auto& [key, target] : fields) {
                QString value = r0;
                if (key != &kR0Key && !take(*key, value)) {
                    if (key != &kCKey && c.matchError.isEmpty())
                        c.matchError = u"chybí řádek „%1“"_s.arg(key->trimmed());
                    continue;
                }
                const auto v = lin::ParseReal(value.trimmed().toStdString());
                if (v)
                    *target = *v;
                else if (c.matchError.isEmpty())
                    c.matchError = u"řádek „%1%2“ nemá číselnou hodnotu"_s.arg(*key, value);
            }
        }
        result.configurations.push_back(std::move(c));
    } while (at < lines.size());
    result.ok = true;
    return result;
}

void ConfigFile::apply(const Configuration& c) {
    MainForm& f = e_.form;
    const DecimalSeparator separator = e_.settings.decimalSeparator;
    const auto number = [this](const QString& value) {
        return checks_.UpravaFormatu(value.trimmed());
    };
    const auto showRange = [&] {
        e_.config.RangeBegin = c.begin;
        f.Pocatek.setText(FormatGeneral(c.begin, separator));
        e_.config.RangeEnd = c.end;
        f.Konec.setText(FormatGeneral(c.end, separator));
    };
    // "°C", "Ohm", "V", "mA", "%" or "Bez jednotky"; other values are ignored.
    const auto isUnit = [](const QString& unit) {
        return model::CodeOf(model::UnitChoices(), utf8(unit)) != 0;
    };
    const bool fromFile = c.lin == q(model::kLinFromFile);

    f.Vstup.text = q(c.type->text);
    rules_.VstupChange();
    showRange();
    if (!fromFile && isUnit(c.unit))
        f.VolenaJednotka.text = c.unit;
    if (c.lin == q(model::kLinBuiltIn) || c.lin == q(model::kLinNone) ||
        c.lin == q(model::kLinSquareRoot) || fromFile)
        f.Linearizace.text = c.lin;
    rules_.LinearizaceChange();
    if (fromFile && f.Linearizace.text == q(model::kLinFromFile)) {
        // Choosing the linearization file empties the range and sets the unit to "Bez
        // jednotky": the saved range and unit go in after the choice, as the user would type them.
        showRange();
        if (isUnit(c.unit)) {
            f.VolenaJednotka.text = c.unit;
            rules_.VolenaJednotkaChange();
        }
    }
    const QString damping = c.damping.isEmpty() ? QString() : c.damping.chopped(1);
    f.Tlumeni.setText(number(damping));
    checks_.TlumeniExit();
    f.Chybproud.text = c.fault;
    checks_.ChybproudExit();

    for (const auto& [line, value] : c.extras) {
        switch (line) {
            case Extra::Connection:
                f.PripCidl.text = value;
                rules_.PripCidlChange();
                break;
            case Extra::Correction:
                f.korekcePV.setText(number(value));
                calibration_.korekcePVExit();
                break;
            case Extra::ResistorPairTotal:
            case Extra::PotentiometerTotal:
            case Extra::VoltageTotal:
            case Extra::CurrentTotal:
                f.CelkovyOdpor.setText(number(value));
                checks_.CelkovyOdporExit();
                break;
            case Extra::ColdJunction:
                f.VzdStKon.text = value;
                checks_.VzdStKonExit();
                break;
            case Extra::Divider:
                f.DelPomer.setText(number(value));
                checks_.DelPomerExit();
                break;
            case Extra::SenseResistor:
                f.SnOdpor.setText(number(value));
                checks_.SnOdporExit();
                break;
        }
    }
    f.PresnaLin.checked = c.precise;
    e_.state.MatchedPlatinum.reset();
    if (c.matched) {
        QString why = c.matchError;
        if (why.isEmpty() && !SensorMatch::Applies(f))
            why = u"platí jen pro odporové teploměry Pt s volbou „linearizováno“"_s;
        if (why.isEmpty()) {
            const auto refusal =
                CheckPlatinum(model::FindInputType(utf8(f.Vstup.text))->sensorCurve, c.platinum,
                              std::min(c.begin, c.end), std::max(c.begin, c.end));
            if (refusal)
                why = refusal->message;
            else
                e_.state.MatchedPlatinum = c.platinum;
        }
        if (!why.isEmpty())
            e_.prompts.message(
                u"Přizpůsobení čidlu ze souboru nebylo použito: %1 Ostatní údaje "
                u"byly načteny."_s.arg(why.endsWith(u'.') ? why : why + u'.'));
    }
    checks_.PocatekExit();
    checks_.KonecExit();
}

}  // namespace veld::config
