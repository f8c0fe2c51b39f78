// The window on the simulated transmitter in virtual time, used through its widgets: read,
// change the page, write, and read again what the transmitter now holds.

#include "config/main_window_model.h"
#include "link/clock.h"
#include "session/session.h"
#include "ui/main_window.h"
#include "ui/qt_prompts.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using namespace veld;

namespace {

// A window on the built-in simulator, with a virtual clock: each click runs to its end.
struct SimWorld {
    explicit SimWorld(Prompts& inner)
        : prompts(inner), session(prompts, optionsWith(settings, clock)), window(model, prompts) {}
    static session::Options optionsWith(QSettings& settings, link::Clock& clock) {
        session::Options options;
        options.port = session::Session::kSimulatorAlias;
        options.settings = &settings;
        options.clock = &clock;
        return options;
    }
    template <class W>
    W* find(const QString& name) {
        return window.findChild<W*>(name);
    }
    bool show() {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    void choose(const QString& listName, const QString& item) {
        auto* list = find<QComboBox>(listName);
        const int index = list->findText(item);
        QVERIFY2(index >= 0, qPrintable(item));
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    // Types into an edit as a user does and leaves it with Tab.
    void type(const QString& editName, const QString& text) {
        auto* edit = find<QLineEdit>(editName);
        edit->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(edit->hasFocus());
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }
    void click(const QString& buttonName) {
        QTest::mouseClick(find<QPushButton>(buttonName), Qt::LeftButton);
    }
    QString text(const QString& name) {
        if (auto* list = find<QComboBox>(name))
            return list->currentText();
        return find<QLineEdit>(name)->text();
    }

    QTemporaryDir dir;
    QSettings settings{dir.filePath(u"veld.ini"_s), QSettings::IniFormat};
    link::VirtualClock clock;
    ui::WindowPrompts prompts;
    session::Session session;
    config::MainWindowModel& model = session.model();
    ui::MainWindow window;
};

}  // namespace

class WindowRoundTripTest : public QObject {
    Q_OBJECT

private slots:
    void readChangeWriteRead_showsWhatWasWritten();
};

void WindowRoundTripTest::readChangeWriteRead_showsWhatWasWritten() {
    ScriptedPrompts script;  // answers Yes
    SimWorld world(script);
    QVERIFY(world.show());

    world.click(u"Precist"_s);
    QCOMPARE(world.text(u"Vstup"_s), u"odporový teploměr Pt100"_s);
    QCOMPARE(world.find<QProgressBar>(u"Prenos"_s)->value(), 100);

    world.choose(u"Vstup"_s, u"termočlánek J"_s);
    world.choose(u"Linearizace"_s, u"linearizováno"_s);
    world.type(u"Pocatek"_s, u"-50"_s);
    world.type(u"Konec"_s, u"750.5"_s);
    world.type(u"Tlumeni"_s, u"2.5"_s);
    world.choose(u"Chybproud"_s, u"podproud"_s);
    world.click(u"Poslat"_s);
    QCOMPARE(script.messages, QStringList());
    QCOMPARE(script.questions, QStringList{u"Opravdu se má zapsat konfigurace ?"_s});
    QVERIFY(world.find<QPushButton>(u"Poslat"_s)->isEnabled());
    QCOMPARE(world.session.simMemory().Read(400, 1)->at(0), 10);  // "termočlánek J"

    // Something else on the page, so the read has to bring it all back.
    world.choose(u"Vstup"_s, u"reostat"_s);
    world.click(u"Precist"_s);
    QCOMPARE(script.messages, QStringList());
    QCOMPARE(world.text(u"Vstup"_s), u"termočlánek J"_s);
    QCOMPARE(world.text(u"Linearizace"_s), u"linearizováno"_s);
    QCOMPARE(world.text(u"Pocatek"_s), u"-50"_s);
    QCOMPARE(world.text(u"Konec"_s), u"750.5"_s);
    QCOMPARE(world.text(u"Tlumeni"_s), u"2.5"_s);
    QCOMPARE(world.text(u"Chybproud"_s), u"podproud"_s);
    QCOMPARE(world.text(u"VzdStKon"_s), u"interní studený konec"_s);
    QVERIFY(!world.find<QComboBox>(u"VzdStKon"_s)->isHidden());
    QVERIFY(world.find<QComboBox>(u"PripCidl"_s)->isHidden());
    QVERIFY(world.find<QPushButton>(u"Precist"_s)->isEnabled());
}

QTEST_MAIN(WindowRoundTripTest)
#include "window_round_trip_test.moc"
