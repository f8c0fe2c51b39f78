#pragma once

// What the window tests share: a window on a fresh session, a user who answers message boxes,
// and point files.

#include "config/main_window_model.h"
#include "link/clock.h"
#include "session/session.h"
#include "ui/main_window.h"
#include "ui/qt_prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace veld::ui::test {

using namespace Qt::Literals::StringLiterals;

// A window on a fresh model, as the program builds it, with the prompts under test. With
// `onSimulator` it talks to the built-in simulator in virtual time, so each click runs to its end.
struct World {
    explicit World(Prompts& inner, bool onSimulator = false)
        : prompts(inner),
          session(prompts, optionsWith(settings, onSimulator ? &clock : nullptr)),
          window(model, prompts) {}
    static session::Options optionsWith(QSettings& settings, link::Clock* clock) {
        session::Options options;
        options.settings = &settings;
        if (clock != nullptr) {
            options.clock = clock;
            options.port = session::Session::kSimulatorAlias;
        }
        return options;
    }

    template <class W>
    W* find(const QString& name) {
        return window.findChild<W*>(name);
    }
    bool show() {
        window.centreOnScreen();
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    // Picks a list item the way the list reports a choice made in its drop-down.
    void choose(const QString& listName, const QString& item) {
        auto* list = find<QComboBox>(listName);
        const int index = list->findText(item);
        QVERIFY2(index >= 0, qPrintable(item));
        list->setCurrentIndex(index);
        emit list->activated(index);
    }

    QTemporaryDir dir;
    QSettings settings{dir.filePath(u"veld.ini"_s), QSettings::IniFormat};
    link::VirtualClock clock;  // used only on the simulator
    WindowPrompts prompts;
    session::Session session;
    config::MainWindowModel& model = session.model();
    MainWindow window;
};

// Answers every message box as it opens, as a user would: notes its text and buttons and
// presses the button with the given caption. `seen`, when set, looks at each box first.
class BoxAnswerer {
public:
    explicit BoxAnswerer(QString press, std::function<void(QMessageBox&)> seen = {})
        : press_(std::move(press)), seen_(std::move(seen)) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start();
    }
    QStringList texts;
    QList<QStringList> buttons;

private:
    void answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        if (seen_)
            seen_(*box);
        texts.append(box->text());
        QStringList captions;
        QAbstractButton* target = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            captions.append(b->text());
            if (b->text() == press_)
                target = b;
        }
        captions.sort();
        buttons.append(captions);
        (target ? target : box->buttons().constFirst())->click();
    }

    QString press_;
    std::function<void(QMessageBox&)> seen_;
    QTimer timer_;
};

// Layout requests travel up one level per pass of the event loop.
inline void settleLayouts() {
    for (int pass = 0; pass < 4; ++pass)
        QCoreApplication::processEvents();
}

// A point file of `count` points (x, 10 x) in the folder; returns its path.
inline QString writePoints(const QTemporaryDir& dir, const QString& name, int count) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    for (int i = 0; i < count; ++i)
        file.write(QByteArray::number(i) + ' ' + QByteArray::number(10 * i) + '\n');
    return path;
}

}  // namespace veld::ui::test
