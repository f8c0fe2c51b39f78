#pragma once

#include "common/prompts.h"
#include "config/main_window_model.h"
#include "link/clock.h"
#include "request_log.h"
#include "session/session.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <ostream>

// Readable failure output for texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace veld::config::test {

using namespace Qt::Literals::StringLiterals;

inline ModelSettings settingsWith(DecimalSeparator separator) {
    ModelSettings s;
    s.decimalSeparator = separator;
    s.directoryExists = [](const QString&) { return false; };
    s.documentsDirectory = u"/home/user/Documents"_s;
    return s;
}

// A fresh program on the simulated transmitter in virtual time, with scripted prompts; the
// separator is a point unless a test says otherwise.
class ModelTest : public ::testing::Test {
protected:
    void useSeparator(DecimalSeparator separator) {
        session_.reset();
        session_ = makeSession(separator);
    }

    MainWindowModel& m() { return session_->model(); }
    // A click as the user makes it; the requests it sent are those in `requests()`.
    std::optional<Outcome> click(Control& control) {
        session().simDevice().ClearCounters();
        m().userClicked(control);
        return m().lastOutcome();
    }
    QStringList requests() { return DescribeLog(session().simDevice().Log()); }
    std::string shown() { return prompts.messages.join(u'|').toStdString(); }
    MainForm& f() { return m().form; }
    session::Session& session() { return *session_; }

    // The user picks or types an input type.
    void chooseType(const QString& text) { m().userEdited(f().Vstup, text); }
    // The user types into an edit and leaves it.
    void enter(Edit& edit, const QString& text) {
        m().userEdited(edit, text);
        m().userLeft(edit);
    }
    void clearPrompts() {
        prompts.messages.clear();
        prompts.focused.clear();
        prompts.fileRequests.clear();
    }

    // A point file in a temporary folder; returns its path.
    QString pointFile(const QString& name, const QByteArray& content) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
    static QByteArray linearPoints(int count) {
        QByteArray text;
        for (int i = 0; i < count; ++i)
            text += QByteArray::number(i) + " " + QByteArray::number(10 * i) + "\n";
        return text;
    }
    // The user chooses "ze souboru" and picks `path` (or cancels when it is empty).
    void chooseFromFile(const QString& path) {
        if (!path.isEmpty())
            prompts.fileAnswers.append(path);
        m().userSelected(f().Linearizace,
                         static_cast<int>(f().Linearizace.items.indexOf(u"ze souboru"_s)));
    }

    ScriptedPrompts prompts;
    link::VirtualClock clock;

private:
    std::unique_ptr<session::Session> makeSession(DecimalSeparator separator) {
        session::Options options;
        options.port = session::Session::kSimulatorAlias;
        options.settings = &settings_;
        options.clock = &clock;
        options.model = settingsWith(separator);
        return std::make_unique<session::Session>(prompts, std::move(options));
    }

    QTemporaryDir dir_;
    QSettings settings_{dir_.filePath(u"veld.ini"_s), QSettings::IniFormat};
    std::unique_ptr<session::Session> session_ = makeSession(DecimalSeparator::Point);
};

}  // namespace veld::config::test
