#pragma once

// One whole program below its front end, as the tests build it: the session on the built-in
// simulated transmitter in virtual time, questions answered from a script, settings and files in
// a temporary folder of its own. The config, reliability, window and end-to-end tests and the
// scenario runner start their program here and drive it as a user would: by control name. The
// command line's tests take only its home: veld-cli builds its program itself.

#include <QByteArray>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <string>

#include "common/prompts.h"
#include "config/main_window_model.h"
#include "link/clock.h"
#include "session/session.h"
#include "support/request_log.h"

namespace veld::testing {

// What a program under test stands on: a temporary folder for its settings and files, and the
// virtual clock. The command line's tests hand these to veld-cli, which builds its program itself.
struct ProgramHome {
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("veld.ini")), QSettings::IniFormat};
    link::VirtualClock clock;

    // A file in the folder; its path, empty when it could not be written.
    QString file(const QString& name, const QByteArray& content) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
            return {};
        return f.fileName();
    }
};

class Program : public ProgramHome {
public:
    struct Options {
        // The built-in simulator; std::nullopt: the port the settings remember (none yet).
        std::optional<QString> port = session::Session::kSimulatorAlias;
        // The home's virtual clock; off, the real clock, which waits in a local event loop.
        bool virtualTime = true;
        config::DecimalSeparator separator = config::DecimalSeparator::Point;
        // A front end's own prompts; by default the program answers from `prompts`.
        Prompts* prompts = nullptr;
        bool fastTransfer = false;
    };

    Program() : Program(Options{}) {}
    explicit Program(Options options) : options_(std::move(options)) { session_ = start(); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    ScriptedPrompts prompts;  // empty queues answer Yes and cancel file dialogs

    // The profiles' folders count as missing, so file dialogs start in one fixed folder.
    static config::ModelSettings ModelSettingsWith(config::DecimalSeparator separator) {
        config::ModelSettings s;
        s.decimalSeparator = separator;
        s.directoryExists = [](const QString&) { return false; };
        s.documentsDirectory = QStringLiteral("/home/user/Documents");
        return s;
    }

    session::Session& session() { return *session_; }
    config::MainWindowModel& m() { return session_->model(); }
    config::MainForm& f() { return m().form; }

    // A fresh program with that decimal separator; folder and settings stay.
    void useSeparator(config::DecimalSeparator separator) {
        options_.separator = separator;
        session_.reset();
        session_ = start();
    }

    // The next file dialog picks `path`; std::nullopt cancels it.
    void pick(std::optional<QString> path) { prompts.fileAnswers.append(std::move(path)); }
    // The answer to the next question (Yes when none is queued).
    void answer(bool yes) { prompts.answers.append(yes); }

    // A control of the main window, or else of one of its dialogs; nullptr when none has one of
    // that name.
    config::Control* control(const QString& name) {
        config::Control* c = f().find(name);
        c = c ? c : m().dialog.find(name);
        return c ? c : m().sensorDialog.find(name);
    }

    // The user's steps on a control named as the window names it. Each returns why the window
    // would not take the step (no such control, one that takes no input now, no such item);
    // empty when taken.
    //
    // Types the whole text into an edit or a list without leaving it.
    QString type(const QString& name, const QString& text) {
        config::Control* c = nullptr;
        if (QString why = usable(name, c); !why.isEmpty())
            return why;
        if (!dynamic_cast<config::Edit*>(c) && !dynamic_cast<config::ComboBox*>(c))
            return name + QStringLiteral(" takes no typing");
        m().userEdited(*c, text);
        return {};
    }
    // Picks an item of a list, radio group or list box; ticks ("on") or clears ("off") a check
    // box; types into an edit.
    QString set(const QString& name, const QString& value) {
        config::Control* c = nullptr;
        if (QString why = usable(name, c); !why.isEmpty())
            return why;
        if (auto* box = dynamic_cast<config::CheckBox*>(c)) {
            if (value != u"on" && value != u"off")
                return name + QStringLiteral(" is a check box: on or off");
            m().userToggled(*box, value == u"on");
            return {};
        }
        if (dynamic_cast<config::Edit*>(c))
            return type(name, value);
        QStringList items;
        if (const auto* list = dynamic_cast<const config::ComboBox*>(c))
            items = list->items;
        else if (const auto* group = dynamic_cast<const config::RadioGroup*>(c))
            items = group->items;
        else if (const auto* box = dynamic_cast<const config::ListBox*>(c))
            items = box->items;
        else
            return name + QStringLiteral(" takes no value");
        const auto index = items.indexOf(value);
        if (index < 0)
            return name +
                   QStringLiteral(" has no item \"%1\"; it has: %2").arg(value, items.join(u", "));
        m().userSelected(*c, static_cast<int>(index));
        return {};
    }
    // Types the whole text and leaves the control.
    QString enter(const QString& name, const QString& text) {
        config::Control* c = nullptr;
        if (QString why = usable(name, c); !why.isEmpty())
            return why;
        m().userEdited(*c, text);
        m().userLeft(*c);
        return {};
    }
    // Clicks; what the handler reports is then in `m().lastOutcome()`.
    QString press(const QString& name) {
        config::Control* c = nullptr;
        if (QString why = usable(name, c); !why.isEmpty())
            return why;
        m().userClicked(*c);
        return {};
    }

    // Clicks a control the window never shows (the calibration and correction buttons), as the
    // command line runs its handler.
    QString pressHidden(const QString& name) {
        config::Control* c = control(name);
        if (!c || c->visible || !c->onClick)
            return name + QStringLiteral(" is no hidden button");
        const bool enabled = c->enabled;
        c->visible = c->enabled = true;
        m().userClicked(*c);
        c->visible = false;
        c->enabled = enabled;
        return {};
    }

    // The same on controls at hand.
    void enter(config::Edit& edit, const QString& text) {
        m().userEdited(edit, text);
        m().userLeft(edit);
    }
    // A click whose requests alone are then in requests().
    std::optional<config::Outcome> click(config::Control& control) {
        session().simDevice().ClearCounters();
        m().userClicked(control);
        return m().lastOutcome();
    }

    // What the simulated transmitter received since its log was last cleared, a line each:
    // "WriteEEPROM 448 8 87 61 33 C1 87 43 C6 A4".
    QStringList requests() { return DescribeLog(session().simDevice().Log()); }
    std::string shown() const { return prompts.messages.join(u'|').toStdString(); }
    // Forgets the messages, focus requests and file dialogs so far.
    void clearPrompts() {
        prompts.messages.clear();
        prompts.focused.clear();
        prompts.fileRequests.clear();
    }

private:
    std::unique_ptr<session::Session> start() {
        session::Options o;
        o.port = options_.port;
        o.settings = &settings;
        o.clock = options_.virtualTime ? &clock : nullptr;
        o.fastTransfer = options_.fastTransfer;
        o.model = ModelSettingsWith(options_.separator);
        auto s = std::make_unique<session::Session>(options_.prompts ? *options_.prompts : prompts,
                                                    std::move(o));
        // Backups carry a time of their own: the files they make have fixed names.
        s->model().backupPage().now = [] { return QDateTime({2026, 12, 7}, {10, 0}); };
        return s;
    }
    QString usable(const QString& name, config::Control*& c) {
        c = control(name);
        if (!c)
            return QStringLiteral("no control ") + name;
        if (!m().takesInput(*c))
            return name + QStringLiteral(" takes no input now (hidden or disabled)");
        return {};
    }

    Options options_;
    std::unique_ptr<session::Session> session_;
};

}  // namespace veld::testing
