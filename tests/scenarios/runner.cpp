// Runs one scenario file on a whole program in virtual time. A scenario is a series of acts: the
// steps a user takes, then what must follow them. An act's expectations see only what its own
// steps did: the requests the simulated transmitter received, the messages and the questions.
//
//   # comment                           a line of its own
//   separator comma                     the decimal separator (before the first step)
//   memory 257 0D E5                    simulator memory from the address on, bytes in hex
//   fault clean 3                       the next 3 requests answered; "fault noreply 2": the
//                                       next 2 not; "fault silent": none from then on
//   calibration 14                      the code the next calibrations answer with
//   set Vstup "termočlánek L"           picks an item, types into an edit, ticks a box on/off
//   type Vstup proud                    types into an edit or a list without leaving it
//   enter Konec 1300                    types and leaves
//   click Poslat                        a button, a label, a control of the points dialog
//   call S_Dolmez                       a button the window never shows, as veld-cli runs it
//   answer no                           the next question (questions not answered get Yes)
//   file points.txt                     a file in the program's folder: its lines up to "end",
//                                       UTF-8 with LF; "file c.txt cp1250 crlf" as the
//                                       configuration files are
//   pick points.txt                     the next file dialog picks it ("pick" alone cancels)
//   expect outcome Completed            Completed, Stopped, Declined, or none
//   expect requests                     then one a line up to a blank line or a directive:
//   WriteEEPROM 400 4 0B 03 1F 00         command, address, count, data in hex
//   expect messages                     one text a line, likewise (none listed: none shown);
//                                       the program's folder shows as DIR
//   expect questions                    the same
//   expect control Prenos.position 100  text, caption, checked, position, item, enabled or
//                                       visible (yes/no), a grid's cell_COLUMN_ROW; without a
//                                       property the main one
//   expect memory 448 87 61 33 C1       simulator memory from the address on
//   expect differences                  the table of "Porovnat", "field: transmitter → file"
//   expect file c.txt cp1250 crlf       a file's lines in the file directive's form, one a
//                                       line like the requests (a blank line written as "")
//
// Values may be quoted, which keeps blanks at their ends. A step the window would not take, an
// unknown directive or a malformed line ends the scenario with its file and line.
// VELD_SCENARIO_RECORD=1 prints what an act did wherever it differs, in the scenario's lines.
// With --plan, "click Poslat" only plans the write, and its act's requests are the plan's, the
// reads answered from the simulator's memory; the act's other expectations are not checked.

#include "config/cp1250.h"
#include "support/program.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>

namespace veld::testing {
namespace {

using namespace Qt::Literals::StringLiterals;
using Lines = QList<std::pair<int, QString>>;  // line number, text

const QStringList kDirectives = {
    u"separator"_s, u"memory"_s, u"fault"_s,  u"calibration"_s, u"set"_s,  u"type"_s,  u"enter"_s,
    u"click"_s,     u"call"_s,   u"answer"_s, u"file"_s,        u"pick"_s, u"expect"_s};

// The first word and the rest of the line.
std::pair<QString, QString> Split(const QString& line) {
    const QString text = line.trimmed();
    const qsizetype blank = text.indexOf(u' ');
    if (blank < 0)
        return {text, {}};
    return {text.left(blank), text.mid(blank + 1).trimmed()};
}

QString Unquoted(const QString& text) {
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        return text.mid(1, text.size() - 2);
    return text;
}

// "448 87 61 33 C1": the address and the bytes.
std::optional<std::pair<std::size_t, std::vector<link::Byte>>> AddressAndBytes(const QString& s) {
    const QStringList words = s.split(u' ', Qt::SkipEmptyParts);
    bool ok = !words.isEmpty();
    const std::size_t address = ok ? words[0].toUInt(&ok) : 0;
    std::vector<link::Byte> bytes;
    for (qsizetype i = 1; ok && i < words.size(); ++i) {
        bytes.push_back(static_cast<link::Byte>(words[i].toUInt(&ok, 16)));
        ok = ok && words[i].size() == 2;
    }
    if (!ok || bytes.empty())
        return std::nullopt;
    return std::pair{address, bytes};
}

QString Hex(std::span<const link::Byte> bytes) {
    QStringList words;
    for (link::Byte b : bytes)
        words.append(u"%1"_s.arg(b, 2, 16, QLatin1Char('0')).toUpper());
    return words.join(u' ');
}

// The forms of a file besides UTF-8 with LF: "cp1250", "crlf", or both.
bool IsFileForm(const QString& form) {
    const QStringList words = form.split(u' ', Qt::SkipEmptyParts);
    return std::ranges::all_of(words,
                               [](const QString& w) { return w == u"cp1250" || w == u"crlf"; });
}

QString YesNo(bool b) {
    return b ? u"yes"_s : u"no"_s;
}

// What `expect control` compares; std::nullopt when the control has no such property.
std::optional<QString> Property(const config::Control& c, QString property) {
    using namespace config;
    const auto* edit = dynamic_cast<const Edit*>(&c);
    const auto* list = dynamic_cast<const ComboBox*>(&c);
    const auto* box = dynamic_cast<const CheckBox*>(&c);
    const auto* bar = dynamic_cast<const ProgressBar*>(&c);
    const auto* group = dynamic_cast<const RadioGroup*>(&c);
    const auto* listBox = dynamic_cast<const ListBox*>(&c);
    if (property.isEmpty())
        property = edit || list       ? u"text"_s
                   : box              ? u"checked"_s
                   : bar              ? u"position"_s
                   : group || listBox ? u"item"_s
                                      : u"caption"_s;
    if (const auto* grid = dynamic_cast<const StringGrid*>(&c);
        grid && property.startsWith(u"cell_"))
        return grid->cell(property.section(u'_', 1, 1).toInt(),
                          property.section(u'_', 2, 2).toInt());
    if (property == u"enabled")
        return YesNo(c.enabled);
    if (property == u"visible")
        return YesNo(c.visible);
    if (property == u"text" && (edit || list))
        return edit ? edit->text() : list->text;
    if (property == u"checked" && box)
        return YesNo(box->checked);
    if (property == u"position" && bar)
        return QString::number(bar->position);
    if (property == u"item" && group)
        return group->items.value(group->itemIndex);
    if (property == u"item" && listBox)
        return listBox->items.value(listBox->itemIndex);
    if (property == u"caption") {
        if (const auto* label = dynamic_cast<const Label*>(&c))
            return label->caption;
        if (const auto* button = dynamic_cast<const Button*>(&c))
            return button->caption;
        if (box)
            return box->caption;
    }
    return std::nullopt;
}

// The requests of a planned write; it goes on where a check point would stop it only for a
// failed transaction, which a plan does not know of.
QStringList PlannedRequests(const config::WriteAllPlan& plan, const sim::MemoryImage& memory) {
    using Kind = config::WriteStep::Kind;
    QStringList lines;
    std::vector<link::Byte> reply;
    std::function<bool(const config::WriteStep&)> add = [&](const config::WriteStep& s) {
        if (s.kind == Kind::Read) {
            reply = memory.Read(s.address, s.length).value_or(std::vector<link::Byte>{});
            lines.append(u"ReadEEPROM %1 %2"_s.arg(s.address).arg(s.length));
        } else if ((s.kind == Kind::Write || s.kind == Kind::Correction) && !s.data.empty()) {
            lines.append(u"WriteEEPROM %1 %2 "_s.arg(s.address).arg(s.data.size()) + Hex(s.data));
        } else if (s.kind == Kind::Command) {
            lines.append(QString::fromLatin1(s.command));
        } else if (s.kind == Kind::Signature || s.kind == Kind::ModeFlags ||
                   s.kind == Kind::OutputScaling) {
            const auto resolved = config::ResolveStep(plan, s, reply);
            return std::all_of(resolved.begin(), resolved.end(), add);
        }
        return s.kind != Kind::Stop;
    };
    for (const config::WriteStep& s : plan.steps)
        if (!add(s))
            break;
    return lines;
}

class Scenario {
public:
    Scenario(QString path, QStringList lines, bool plan)
        : path_(std::move(path)), lines_(std::move(lines)), plan_(plan) {}

    void run() {
        while (next_ < lines_.size()) {
            const int number = static_cast<int>(++next_);
            const QString line = lines_[next_ - 1].trimmed();
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            if (const QString why = perform(line, number); !why.isEmpty())
                return fail(number, why);
        }
        endAct(static_cast<int>(lines_.size()));
    }

private:
    void fail(int number, const QString& why) {
        ADD_FAILURE_AT(path_.toStdString().c_str(), number) << why.toStdString();
    }

    QString perform(const QString& line, int number) {
        const auto [directive, rest] = Split(line);
        if (directive == u"expect") {
            expecting_ = true;
            return expect(rest, number);
        }
        if (!kDirectives.contains(directive))
            return u"unknown directive \"%1\""_s.arg(directive);
        if (expecting_) {
            endAct(number);
            program_.session().simDevice().ClearCounters();
            program_.prompts.questions.clear();
            program_.clearPrompts();
            expecting_ = false;
            planned_.reset();
        }
        const auto [name, value] = Split(rest);
        if (directive == u"separator") {
            if (started_ || !value.isEmpty() || (name != u"comma" && name != u"point"))
                return u"separator comma or point, before the first step"_s;
            program_.useSeparator(name == u"comma" ? config::DecimalSeparator::Comma
                                                   : config::DecimalSeparator::Point);
            return {};
        }
        started_ = true;
        if (directive == u"memory") {
            const auto bytes = AddressAndBytes(rest);
            if (!bytes || !program_.session().simMemory().Write(bytes->first, bytes->second))
                return u"memory ADDRESS BYTE... (hex bytes inside the memory)"_s;
            return {};
        }
        if (directive == u"fault" || directive == u"calibration") {
            bool ok = false;
            const int n = (directive == u"fault" ? value : name).toInt(&ok);
            sim::FaultPolicy& faults = program_.session().simFaults();
            if (directive == u"calibration" && ok && n >= 0 && n < 256 && value.isEmpty())
                program_.session().simDevice().SetCalibrationResult(static_cast<link::Byte>(n));
            else if (name == u"silent" && value.isEmpty())
                faults.SetPermanent({sim::Fault::NoReply()});
            else if (ok && n > 0 && (name == u"clean" || name == u"noreply"))
                name == u"clean" ? faults.QueueClean(static_cast<std::size_t>(n))
                                 : faults.Queue(sim::Fault::NoReply(), static_cast<std::size_t>(n));
            else
                return u"fault clean|noreply COUNT, fault silent, or calibration CODE"_s;
            return {};
        }
        if (directive == u"set")
            return program_.set(name, Unquoted(value));
        if (directive == u"type")
            return program_.type(name, Unquoted(value));
        if (directive == u"enter")
            return program_.enter(name, Unquoted(value));
        if (directive == u"click" || directive == u"call") {
            if (!value.isEmpty())
                return directive + u" NAME"_s;
            if (plan_ && name == u"Poslat") {
                const auto plan = program_.m().writeAll().plan();
                planned_ =
                    plan ? PlannedRequests(*plan, program_.session().simMemory()) : QStringList();
                return {};
            }
            return directive == u"click" ? program_.press(name) : program_.pressHidden(name);
        }
        if (directive == u"answer") {
            if (rest != u"yes" && rest != u"no")
                return u"answer yes or no"_s;
            program_.answer(rest == u"yes");
            return {};
        }
        if (directive == u"pick") {
            program_.pick(rest.isEmpty() ? std::nullopt
                                         : std::optional(program_.dir.filePath(Unquoted(rest))));
            return {};
        }
        // file NAME [cp1250] [crlf]
        if (name.isEmpty() || name.contains(u'/') || !IsFileForm(value))
            return u"file NAME [cp1250] [crlf] (in the program's folder)"_s;
        QString content;
        while (next_ < lines_.size() && lines_[next_].trimmed() != u"end")
            content += lines_[next_++] + (value.contains(u"crlf") ? u"\r\n"_s : u"\n"_s);
        if (next_++ == lines_.size())
            return u"file without its \"end\""_s;
        const auto cp1250 = config::cp1250::Encode(content);
        if (value.contains(u"cp1250") && !cp1250.ok())
            return u"not in windows-1250: "_s + cp1250.unencodable;
        const QByteArray bytes = value.contains(u"cp1250") ? cp1250.bytes : content.toUtf8();
        return program_.file(name, bytes).isEmpty() ? u"cannot write "_s + name : QString();
    }

    QString expect(const QString& what, int number) {
        const auto [kind, rest] = Split(what);
        if (planned_ && kind == u"requests" && rest.isEmpty()) {
            compare(number, u"request"_s, block(), *planned_);
        } else if (planned_) {
            block();  // what only sending shows
        } else if (kind == u"outcome") {
            if (!QStringList{u"Completed"_s, u"Stopped"_s, u"Declined"_s, u"none"_s}.contains(rest))
                return u"expect outcome Completed|Stopped|Declined|none"_s;
            const auto o = program_.m().lastOutcome();
            const QString actual = !o                                 ? u"none"_s
                                   : *o == config::Outcome::Completed ? u"Completed"_s
                                   : *o == config::Outcome::Stopped   ? u"Stopped"_s
                                                                      : u"Declined"_s;
            if (actual != rest)
                fail(number, u"outcome %1, expected %2"_s.arg(actual, rest));
        } else if (kind == u"requests" && rest.isEmpty()) {
            compare(number, u"request"_s, block(), program_.requests());
        } else if (kind == u"messages" && rest.isEmpty()) {
            // The program's folder shows as DIR.
            compare(number, u"message"_s, block(),
                    QStringList(program_.prompts.messages)
                        .replaceInStrings(program_.dir.path(), u"DIR"_s));
        } else if (kind == u"differences" && rest.isEmpty()) {
            compare(number, u"difference"_s, block(),
                    config::DifferenceLines(program_.m().backupPage().differences()));
        } else if (kind == u"questions" && rest.isEmpty()) {
            compare(number, u"question"_s, block(), program_.prompts.questions);
        } else if (const auto [name, form] = Split(rest); kind == u"file" && IsFileForm(form)) {
            QFile file(program_.dir.filePath(name));
            const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : "(none)\n";
            QStringList lines = (form.contains(u"cp1250") ? config::cp1250::Decode(bytes)
                                                          : QString::fromUtf8(bytes))
                                    .split(form.contains(u"crlf") ? u"\r\n"_s : u"\n"_s);
            if (!lines.takeLast().isEmpty())
                fail(number, name + u" does not end with a line end"_s);
            compare(number, u"line"_s, block(), lines);
        } else if (kind == u"control") {
            const auto [target, value] = Split(rest);
            config::Control* c = program_.control(target.section(u'.', 0, 0));
            const auto actual = c ? Property(*c, target.section(u'.', 1)) : std::nullopt;
            if (!actual)
                return u"no control or property "_s + target;
            if (*actual != Unquoted(value))
                fail(number,
                     u"%1 is \"%2\", expected \"%3\""_s.arg(target, *actual, Unquoted(value)));
        } else if (kind == u"memory") {
            const auto expected = AddressAndBytes(rest);
            if (!expected)
                return u"expect memory ADDRESS BYTE..."_s;
            const auto actual =
                program_.session().simMemory().Read(expected->first, expected->second.size());
            if (!actual || *actual != expected->second)
                fail(number, u"memory at %1 holds %2"_s.arg(expected->first)
                                 .arg(actual ? Hex(*actual) : u"nothing"_s));
        } else {
            return u"expect outcome|requests|messages|questions|control|memory|differences|file, "
                   u"not \"%1\""_s.arg(what);
        }
        return {};
    }

    // The lines after a directive up to a blank line or the next directive, comments skipped.
    Lines block() {
        Lines lines;
        while (next_ < lines_.size()) {
            const QString line = lines_[next_].trimmed();
            if (line.isEmpty() || kDirectives.contains(Split(line).first))
                break;
            ++next_;
            if (!line.startsWith(u'#'))
                lines.append({static_cast<int>(next_), Unquoted(line)});
        }
        return lines;
    }

    // The first difference, with the line that expected it.
    void compare(int number, const QString& what, const Lines& expected,
                 const QStringList& actual) {
        qsizetype i = 0;
        while (i < expected.size() && i < actual.size() && expected[i].second == actual[i])
            ++i;
        if (i == expected.size() && i == actual.size())
            return;
        const QString counts =
            u"\n  (%1 expected, %2 received)"_s.arg(expected.size()).arg(actual.size());
        if (i < expected.size())
            fail(expected[i].first,
                 u"%1 %2 differs\n  expected: %3\n  actual:   %4"_s.arg(what).arg(i + 1).arg(
                     expected[i].second, i < actual.size() ? actual[i] : u"(none)"_s) +
                     counts);
        else
            fail(number, u"%1 %2 not expected: %3"_s.arg(what).arg(i + 1).arg(actual[i]) + counts);
        if (qEnvironmentVariableIsSet("VELD_SCENARIO_RECORD"))
            std::printf("--- %s, line %d, as received:\n%s\n", qPrintable(what), number,
                        qPrintable(actual.join(u'\n')));
    }

    // Answers and files queued for an act must have been asked for in it.
    void endAct(int number) {
        const auto& p = program_.prompts;
        if (!p.answers.isEmpty() || !p.fileAnswers.isEmpty())
            fail(number, u"%1 answers and %2 files were not asked for"_s.arg(p.answers.size())
                             .arg(p.fileAnswers.size()));
    }

    QString path_;
    QStringList lines_;
    qsizetype next_ = 0;
    bool started_ = false;
    bool expecting_ = false;
    bool plan_ = false;
    std::optional<QStringList> planned_;  // the requests of the act's planned write
    Program program_;
};

class ScenarioTest : public ::testing::Test {
public:
    ScenarioTest(QString path, bool plan) : path_(std::move(path)), plan_(plan) {}
    void TestBody() override {
        QFile file(path_);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path_.toStdString();
        QString text = QString::fromUtf8(file.readAll());
        Scenario(path_, text.remove(u'\r').split(u'\n'), plan_).run();
    }

private:
    QString path_;
    bool plan_;
};

}  // namespace
}  // namespace veld::testing

// scenario_runner [--plan] FILE, or VELD_SCENARIO=FILE scenario_runner; GoogleTest's options
// first.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const bool plan = argc > 1 && std::strcmp(argv[1], "--plan") == 0;
    const int at = plan ? 2 : 1;
    const QString path =
        argc > at ? QString::fromLocal8Bit(argv[at]) : qEnvironmentVariable("VELD_SCENARIO");
    if (path.isEmpty() || argc > at + 1) {
        std::fprintf(stderr, "usage: scenario_runner [--plan] FILE (or VELD_SCENARIO=FILE)\n");
        return 2;
    }
    const std::string name = QFileInfo(path).completeBaseName().toStdString();
    ::testing::RegisterTest(
        "Scenario", name.c_str(), nullptr, nullptr, __FILE__, __LINE__,
        [path, plan]() -> ::testing::Test* { return new veld::testing::ScenarioTest(path, plan); });
    return RUN_ALL_TESTS();
}
