// The window on the simulated transmitter in virtual time, used through its widgets: read,
// change the page, write, and read again what the transmitter now holds.

#include "window_world.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;
using namespace veld;

namespace {

struct SimWorld : ui::test::World {
    explicit SimWorld(Prompts& inner) : World(inner, true) {}
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
