// Each transaction of each operation meets each line fault in turn, on a fresh program: the
// operation must say what went wrong in the program's own words, stop where its steps stop, free
// its button, leave the transmitter written exactly as far as it got, and then succeed on a
// healthy line.

#include "link/link.h"
#include "support/program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <limits>

namespace veld::reliability {
namespace {

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using sim::Fault;
using testing::DescribeLog;

// A whole program on the simulated transmitter, in virtual time.
using World = testing::Program;

// How a failed transaction bears on the rest of an operation.
enum class Step {
    Checked,    // the operation stops after it when it or an unchecked one before it failed
    Unchecked,  // no check follows: the operation goes on to the next check
    Chained,    // inside a chain that runs each write only after the previous one succeeded;
                // the check comes after the chain
};

std::vector<Step> AllChecked(const QStringList& log) {
    return std::vector<Step>(static_cast<std::size_t>(log.size()), Step::Checked);
}
constexpr std::size_t kNoPrompts = std::numeric_limits<std::size_t>::max();

struct Operation {
    const char* name;
    QString button;
    std::function<void(World&)> prepare = [](World&) {};
    // Transactions made before the operation shows its own questions and messages.
    std::size_t promptsAfter = kNoPrompts;
    std::function<std::vector<Step>(const QStringList& log)> steps = AllChecked;
    // `Prenos` after each transaction of a healthy run, as the steps set it; a failure leaves the
    // value of the last transaction before it (empty: not followed here).
    std::vector<int> progress = {};
    // A completed run enables the measurement buttons; a failed one leaves them as they were.
    bool enablesMeasurement = false;
    // What a failed run leaves as it was.
    std::function<QString(World&)> kept = {};
    // For the handlers whose buttons the window never shows: run as the command line runs them.
    std::function<config::Outcome(World&)> direct = {};
};

std::uint32_t AddressOf(const QString& request) {
    return request.section(u' ', 1, 1).toUInt();
}

// The whole write: damping, filter coefficient, the input limits after the preset (and, for
// some unified-signal inputs, the items listed) are written without a check of their own; the
// hardware preset is a chain of eight writes after the coefficient; the polynomial's writes stop
// at their first failure, and the check comes after the linearization kind.
std::function<std::vector<Step>(const QStringList&)> WriteSteps(
    std::vector<std::uint32_t> unchecked = {}) {
    return [unchecked](const QStringList& log) {
        std::vector<Step> steps = AllChecked(log);
        const auto first = [&](std::uint32_t address) {
            for (qsizetype i = 0; i < log.size(); ++i)
                if (log[i].startsWith(u"WriteEEPROM "_s) && AddressOf(log[i]) == address)
                    return static_cast<std::size_t>(i);
            ADD_FAILURE() << "no write at " << address;
            return steps.size();
        };
        const std::size_t coefficient = first(68);
        constexpr std::size_t kPresetWrites = 8;  // the last one writes the preset's limits
        for (std::size_t i : {first(363), coefficient})
            if (i < steps.size())
                steps[i] = Step::Unchecked;
        for (std::size_t i = coefficient + 1; i < steps.size(); ++i) {
            const QString& request = log[static_cast<qsizetype>(i)];
            const std::uint32_t address = AddressOf(request);
            if (!request.startsWith(u"WriteEEPROM "_s))
                continue;
            if (i < coefficient + kPresetWrites || (address >= 127 && address < 164))
                steps[i] = Step::Chained;
            else if (i > coefficient + kPresetWrites &&
                     (address == 448 ||
                      std::find(unchecked.begin(), unchecked.end(), address) != unchecked.end()))
                steps[i] = Step::Unchecked;
        }
        return steps;
    };
}

// The user's steps before the click, in order: a name alone is clicked, a box ticked ("on") or
// cleared ("off"), a list typed into, a field typed into and left.
std::function<void(World&)> Steps(std::vector<std::pair<QString, QString>> steps) {
    return [steps](World& w) {
        for (const auto& [name, value] : steps) {
            config::Control* c = w.control(name);
            const QString refused = value.isEmpty()                      ? w.press(name)
                                    : dynamic_cast<config::CheckBox*>(c) ? w.set(name, value)
                                    : dynamic_cast<config::ComboBox*>(c) ? w.type(name, value)
                                                                         : w.enter(name, value);
            EXPECT_EQ(refused.toStdString(), "");
        }
    };
}

// "napětí" linearized from a file of five points, 0..1 V for 0..100.
std::function<void(World&)> FromFile(int method) {
    return [method](World& w) {
        w.pick(w.file(u"points.txt"_s, "0 0\n0.25 25\n0.5 50\n0.75 75\n1 100\n"));
        Steps({{u"Vstup"_s, u"napětí"_s}})(w);
        EXPECT_EQ(w.set(u"Linearizace"_s, u"ze souboru"_s).toStdString(), "");
        w.m().userSelected(w.m().dialog.Zpus_lin, method);
        if (method == config::LinDialogForm::kMethodPolynomial)
            w.m().userEdited(w.m().dialog.stup_p, u"3"_s);
        w.m().userClicked(w.m().dialog.OK);
        Steps({{u"Pocatek"_s, u"0"_s}, {u"Konec"_s, u"100"_s}})(w);
    };
}

// clang-format off
std::function<void(World&)> Comparator2(const QString& enabled) {
    return Steps({{u"EMezsep2"_s, u"50"_s}, {u"EMezroz2"_s, u"45"_s}, {u"Ezposep2"_s, u"2"_s},
                  {u"Ezporoz2"_s, u"0"_s}, {u"PovolKompar2"_s, enabled}});
}

const Operation kOperations[] = {
    // 400, 32, 363, 408, 1568, 28, then the four reads of the note; the 11 after the first read
    // is cleared at once by the input type's change handler
    {.name = "whole read", .button = u"Precist"_s,
     .progress = {0, 33, 44, 67, 78, 89, 89, 89, 89, 100}, .enablesMeasurement = true},
    // After a write of a current input: its sense resistor is read too.
    {.name = "whole read, current input", .button = u"Precist"_s,
     .prepare = Steps({{u"Vstup"_s, u"proud"_s}, {u"SnOdpor"_s, u"5"_s}, {u"Pocatek"_s, u"0"_s},
                       {u"Konec"_s, u"20"_s}, {u"Poslat"_s, {}}}),
     .progress = {0, 22, 44, 67, 78, 89, 89, 89, 89, 100}, .enablesMeasurement = true},
    // The firmware number is read before the question.
    {.name = "whole write, Pt100 linearized", .button = u"Poslat"_s,
     .prepare = Steps({{u"Vstup"_s, u"odporový teploměr Pt100"_s},
                       {u"PripCidl"_s, u"čtyřvodičově"_s}, {u"Pocatek"_s, u"0"_s},
                       {u"Konec"_s, u"100"_s}}),
     .promptsAfter = 1, .steps = WriteSteps(), .enablesMeasurement = true},
    {.name = "whole write, from file by segments", .button = u"Poslat"_s,
     .prepare = FromFile(config::LinDialogForm::kMethodSegments),
     .promptsAfter = 1, .steps = WriteSteps(), .enablesMeasurement = true},
    {.name = "whole write, from file by polynomial", .button = u"Poslat"_s,
     .prepare = FromFile(config::LinDialogForm::kMethodPolynomial),
     .promptsAfter = 1, .steps = WriteSteps(), .enablesMeasurement = true},
    {.name = "whole write, thermocouple K", .button = u"Poslat"_s,
     .prepare = Steps({{u"Vstup"_s, u"termočlánek K"_s}, {u"Pocatek"_s, u"0"_s},
                       {u"Konec"_s, u"1300"_s}}),
     .promptsAfter = 1, .steps = WriteSteps(), .enablesMeasurement = true},
    // Its scale items and decimals go out without a check until the linearization kind.
    {.name = "whole write, 0...20 mA unified", .button = u"Poslat"_s,
     .prepare = Steps({{u"Vstup"_s, u"0...20 mA-vstup U/I"_s}}),
     .promptsAfter = 1, .steps = WriteSteps({1576, 115}), .enablesMeasurement = true},
    // Presence, the two delays, the limits, the mode byte read and written; 100 at the end.
    {.name = "comparator 2 write", .button = u"Ulozkomp2"_s, .prepare = Comparator2(u"on"_s),
     .promptsAfter = 1, .progress = {20, 40, 40, 60, 60, 100}},
    {.name = "comparator 2 switched off", .button = u"Ulozkomp2"_s,
     .prepare = Comparator2(u"off"_s), .promptsAfter = 0, .progress = {0, 100}},
    {.name = "comparator 2 read", .button = u"Preckomp2"_s, .progress = {25, 50, 75, 100}},
    {.name = "note write", .button = u"Uloz_Pozn"_s,
     .prepare = Steps({{u"EditUzPozn"_s, u"Kotelna 3"_s}}), .progress = {33, 67, 100}},
    {.name = "note read", .button = u"Prec_Pozn"_s,
     .prepare = Steps({{u"EditUzPozn"_s, u"Kotelna 3"_s}}),
     .progress = {25, 50, 75, 100}, .kept = [](World& w) { return w.f().EditUzPozn.text(); }},
    {.name = "analog output save", .button = u"Button2"_s,
     .prepare = Steps({{u"Vstup"_s, u"odporový teploměr Pt100"_s}, {u"EdLoLimDA"_s, u"0"_s},
                       {u"EdHiLimDA"_s, u"100"_s}}),
     .progress = {0, 100}},
    {.name = "analog output read", .button = u"Button3"_s},
    {.name = "calibration of the lower range value", .button = u"S_Dolmez"_s,
     .prepare = Steps({{u"Precist"_s, {}}}),
     .promptsAfter = 0, .progress = {50, 100},
     .kept = [](World& w) { return w.f().Pocatek.text() + u".."_s + w.f().Konec.text(); },
     .direct = [](World& w) { return w.m().calibration().S_DolmezClick(); }},
    {.name = "correction save", .button = u"Button8"_s,
     .prepare = Steps({{u"Vstup"_s, u"odporový teploměr Pt100"_s}}),
     .direct = [](World& w) { return w.m().calibration().Button8Click(); }},
    {.name = "correction read", .button = u"Button1"_s,
     .direct = [](World& w) { return w.m().calibration().Button1Click(); }},
};
// clang-format on

enum class Effect {
    NoAnswer,  // no valid reply on any of the three attempts
    Silent,    // a complete reply with a wrong checksum: fails at once, no message, no retry
    Lost,      // the port vanishes while the transaction waits
    Harmless,  // nothing the program may notice
    Retried,   // the first attempt goes unanswered, the second is answered
};

// clang-format off
struct LineFault { const char* name; sim::FaultSet faults; Effect effect; };
// clang-format on

// The reply is 2 preamble bytes, delimiter, 5 address bytes, command, byte count, data, checksum:
// cut after the first data byte.
const LineFault kFaults[] = {
    {"no reply", {Fault::NoReply()}, Effect::NoAnswer},
    {"wrong checksum", {Fault::BadChecksum()}, Effect::Silent},
    {"wrong address", {Fault::WrongAddress()}, Effect::NoAnswer},
    {"reply cut short", {Fault::Truncated(11)}, Effect::NoAnswer},
    {"byte count above 49", {Fault::ByteCountOver()}, Effect::NoAnswer},
    {"reply repeated 20 ms later", {Fault::Repeated(20ms)}, Effect::Harmless},
    // Later copies land in the next transaction, before its request has left the line.
    {"reply repeated 45 ms later", {Fault::Repeated(45ms)}, Effect::Harmless},
    {"reply repeated 55 ms later", {Fault::Repeated(55ms)}, Effect::Harmless},
    {"port vanishing", {}, Effect::Lost},
    {"first attempt unanswered", {Fault::NoReply()}, Effect::Retried},
};

bool Completes(const LineFault& f) {
    return f.effect == Effect::Harmless || f.effect == Effect::Retried;
}

// shown: what the window's fields, lists and labels show afterwards
struct Run {
    QStringList messages, questions, shown;
    std::deque<sim::Request> requests;
    std::optional<config::Outcome> outcome;
    int progress = 0;
    bool measurement = false;
};

QStringList Shown(World& w) {
    QStringList shown;
    for (const config::Control* c : w.f().controls()) {
        if (const auto* edit = dynamic_cast<const config::Edit*>(c))
            shown << c->name + u'=' + edit->text();
        else if (const auto* combo = dynamic_cast<const config::ComboBox*>(c))
            shown << c->name + u'=' + combo->text;
        else if (const auto* box = dynamic_cast<const config::CheckBox*>(c))
            shown << c->name + u'=' + QString::number(box->checked);
        else if (const auto* label = dynamic_cast<const config::Label*>(c))
            shown << c->name + u'=' + label->caption;
    }
    return shown;
}

config::Button& Button(World& w, const Operation& op) {
    config::Button* button = w.f().findAs<config::Button>(op.button);
    EXPECT_NE(button, nullptr) << op.button.toStdString();
    return button ? *button : w.f().Precist;
}

Run Click(World& w, const Operation& op) {
    w.session().simDevice().ClearCounters();
    w.prompts.messages.clear();
    w.prompts.questions.clear();
    Run run;
    if (!op.direct)
        w.m().userClicked(Button(w, op));
    run.outcome = op.direct ? op.direct(w) : w.m().lastOutcome();
    run.requests = w.session().simDevice().Log();
    run.messages = w.prompts.messages;
    run.questions = w.prompts.questions;
    run.progress = w.f().Prenos.position;
    run.measurement = w.f().ButMeasPV.enabled && w.f().Start_Mer.enabled;
    run.shown = Shown(w);
    return run;
}

// What the steps make of fault f at transaction k: the requests the transmitter receives, the
// questions asked, the messages shown and the outcome.
Run Expected(const Operation& op, const Run& healthy, const std::vector<Step>& steps, std::size_t k,
             const LineFault& f, const QString& cannotOpen) {
    if (f.effect == Effect::Harmless)
        return healthy;
    if (f.effect == Effect::Retried) {
        Run e = healthy;
        e.requests.insert(e.requests.begin() + static_cast<std::ptrdiff_t>(k), healthy.requests[k]);
        return e;
    }
    Run e;
    e.outcome = config::Outcome::Stopped;
    if (k >= op.promptsAfter) {
        e.questions = healthy.questions;
        e.messages = healthy.messages;
    }
    const auto take = [&](std::size_t i) { e.requests.push_back(healthy.requests[i]); };
    for (std::size_t i = 0; i < k; ++i)
        take(i);
    for (int attempt = 0; attempt < (f.effect == Effect::NoAnswer ? link::kAttempts : 1); ++attempt)
        take(k);
    if (f.effect == Effect::NoAnswer)
        e.messages.append(link::kMsgNoAnswer);
    if (f.effect == Effect::Lost)
        e.messages.append(link::kMsgWriteFailed);
    if (steps[k] != Step::Unchecked)
        return e;
    for (std::size_t j = k + 1; j < steps.size(); ++j) {
        if (f.effect == Effect::Lost) {
            // Gone for good: every further transaction fails to open it, and stops the
            // operation unless it is unchecked itself.
            e.messages.append(cannotOpen);
            if (steps[j] != Step::Unchecked)
                break;
            continue;
        }
        take(j);
        if (steps[j] == Step::Checked)
            break;
    }
    return e;
}

// The memory before the operation after a transmitter has carried out these requests (the
// calibration commands store a range end of their own).
std::vector<link::Byte> Replayed(const std::vector<link::Byte>& memory,
                                 const std::deque<sim::Request>& requests) {
    sim::MemoryImage image;
    EXPECT_TRUE(image.Write(0, memory));
    sim::Device device(image);
    for (const sim::Request& r : requests)
        device.Handle(r);
    const auto bytes = image.Bytes();
    return {bytes.begin(), bytes.end()};
}

std::vector<link::Byte> Memory(World& w) {
    const auto bytes = w.session().simMemory().Bytes();
    return {bytes.begin(), bytes.end()};
}

std::string Text(const QStringList& lines) {
    return lines.join(u" | ").toStdString();
}

// Runs every case of one operation. With the fast transfer no settle lies between a reply and
// the next request, so a repeated copy may arrive after that request has left: it must not pass
// for the answer.
void RunMatrix(const Operation& op, bool fast) {
    World reference({.fastTransfer = fast});
    op.prepare(reference);
    const auto initial = Memory(reference);
    const Run healthy = Click(reference, op);
    ASSERT_EQ(healthy.outcome, config::Outcome::Completed) << op.name;
    ASSERT_FALSE(healthy.requests.empty()) << op.name;
    ASSERT_TRUE(op.progress.empty() || op.progress.size() == healthy.requests.size()) << op.name;
    const QStringList log = DescribeLog(healthy.requests);
    if (fast) {
        World plain;
        op.prepare(plain);
        EXPECT_EQ(DescribeLog(Click(plain, op).requests), log) << op.name << ": the same requests";
    }
    EXPECT_TRUE(healthy.messages.isEmpty() || op.promptsAfter != kNoPrompts) << op.name;
    // A second press may differ from the first (the entries' exit checks run again), so the
    // retry after a fault is held against a second healthy press.
    const Run healthyAgain = Click(reference, op);
    const auto memoryAgain = Memory(reference);
    const std::vector<Step> steps = op.steps(log);
    const QString cannotOpen = link::kMsgCannotOpen + reference.session().portChoice().numberText();

    for (std::size_t k = 0; k < healthy.requests.size(); ++k) {
        for (const LineFault& f : kFaults) {
            SCOPED_TRACE(std::string(op.name) + (fast ? " (fast transfer), " : ", ") + f.name +
                         " at transaction " + std::to_string(k) + " (" +
                         log[static_cast<qsizetype>(k)].toStdString() + ")");
            World w({.fastTransfer = fast});
            op.prepare(w);
            sim::FaultPolicy& faults = w.session().simFaults();
            if (f.effect == Effect::Lost) {
                faults.onAnswer = [&w, k, answered = std::size_t{0}]() mutable {
                    if (answered++ == k)
                        w.session().simTransport().Vanish();
                };
            } else {
                faults.QueueClean(k);
                faults.Queue(f.faults, f.effect == Effect::NoAnswer ? link::kAttempts : 1);
            }
            const QString before = op.kept ? op.kept(w) : QString();
            const bool enabledBefore = Button(w, op).enabled;
            const bool measurementBefore = w.f().ButMeasPV.enabled && w.f().Start_Mer.enabled;
            const Run actual = Click(w, op);
            EXPECT_TRUE(!op.kept || Completes(f) || op.kept(w) == before) << "kept";
            const Run expected = Expected(op, healthy, steps, k, f, cannotOpen);
            EXPECT_EQ(Text(actual.messages), Text(expected.messages));
            EXPECT_EQ(Text(actual.questions), Text(expected.questions));
            EXPECT_EQ(Text(DescribeLog(actual.requests)), Text(DescribeLog(expected.requests)));
            EXPECT_EQ(actual.outcome, expected.outcome);
            const int stage = op.progress.empty() ? actual.progress
                              : Completes(f)      ? op.progress.back()
                              : k == 0            ? 0
                                                  : op.progress[k - 1];
            EXPECT_EQ(actual.progress, stage) << "Prenos";
            EXPECT_EQ(actual.measurement,
                      (op.enablesMeasurement && Completes(f)) || measurementBefore)
                << "measurement buttons";
            EXPECT_EQ(Button(w, op).enabled, enabledBefore) << "button as before";
            EXPECT_FALSE(w.m().busy());
            EXPECT_TRUE(Memory(w) == Replayed(initial, expected.requests))
                << "transmitter memory: the writes before the fault";
            EXPECT_EQ(Text(actual.shown), Text(Completes(f) ? healthy.shown : actual.shown))
                << "what the window shows";

            // The same operation on a healthy line.
            faults.Clear();
            faults.onAnswer = nullptr;
            w.session().simTransport().Reappear();
            const Run again = Click(w, op);
            EXPECT_EQ(again.outcome, config::Outcome::Completed) << "healthy retry";
            EXPECT_EQ(Text(again.messages), Text(healthyAgain.messages)) << "healthy retry";
            EXPECT_EQ(Text(DescribeLog(again.requests)), Text(DescribeLog(healthyAgain.requests)))
                << "healthy retry";
            EXPECT_TRUE(Memory(w) == memoryAgain) << "healthy retry's memory";
        }
    }
}

TEST(FaultMatrix, everyFaultAtEveryTransactionOfEachOperation) {
    for (const bool fast : {false, true})
        for (const Operation& op : kOperations)
            RunMatrix(op, fast);
}

}  // namespace
}  // namespace veld::reliability
