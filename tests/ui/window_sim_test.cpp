// The window on the simulated transmitter in virtual time, used through its widgets.

#include "window_world.h"

#include "ui/trend_chart.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cmath>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using namespace veld;

namespace {

struct SimWorld : ui::test::World {
    explicit SimWorld(Prompts& inner) : World(inner, true) {}
    // Types into an edit and leaves it with Tab.
    void type(const QString& editName, const QString& text) {
        typeInto(find<QLineEdit>(editName), text);
        QTest::keyClick(find<QLineEdit>(editName), Qt::Key_Tab);
    }
    void click(const QString& buttonName) {
        QTest::mouseClick(find<QPushButton>(buttonName), Qt::LeftButton);
    }
    QString text(const QString& name) {
        if (auto* list = find<QComboBox>(name))
            return list->currentText();
        return find<QLineEdit>(name)->text();
    }
    std::size_t readPvRequests() { return session().simDevice().Count("ReadPV"); }
};

}  // namespace

class WindowSimTest : public QObject {
    Q_OBJECT

private slots:
    void readChangeWriteRead_showsWhatWasWritten();
    void continuousMeasurement_drawsItsTrendAndEndsWithTheWindow();
};

void WindowSimTest::readChangeWriteRead_showsWhatWasWritten() {
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
    QCOMPARE(world.session().simMemory().Read(400, 1)->at(0), 10);  // "termočlánek J"

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

void WindowSimTest::continuousMeasurement_drawsItsTrendAndEndsWithTheWindow() {
    ScriptedPrompts script;
    SimWorld world(script);
    config::MainForm& f = world.model.form;
    world.model.userShowedPage(5);
    world.window.resize(900, 700);
    QVERIFY(world.show());
    // The whole read enables the measurement buttons and names the unit.
    world.click(u"Precist"_s);
    QCOMPARE(f.Label8.caption.trimmed(), u"°C"_s);

    world.click(u"Start_Mer"_s);
    QVERIFY(f.Timer3.enabled);
    // A minute of a slow wave; two measurements find no answer (each a gap, and the ticks that
    // come while it waits are lost).
    for (int i = 1; i <= 40; ++i) {
        if (i == 12 || i == 27)
            world.session().simFaults().Queue(sim::Fault::NoReply(), 3);
        world.session().simDevice().SetProcessValue(
            static_cast<float>(60.0 + 25.0 * std::sin(i / 6.0) + 0.5 * std::sin(i * 7.3)));
        world.clock.advance(1500ms);
    }
    world.click(u"Stop_mer"_s);
    QVERIFY(!f.Timer3.enabled);

    std::size_t gaps = 0;
    for (const config::TrendSample& s : world.model.measurement().trend().samples())
        gaps += s.value ? 0 : 1;
    QCOMPARE(gaps, std::size_t{2});
    QCOMPARE(world.window.trend().segmentCount(), 3);
    QCOMPARE(script.messages, QStringList(2, u"No answer from transmitter !"_s));
    auto* last = world.window.trend().findChild<QLabel*>(u"TrendLast"_s);
    QCOMPARE(last->text(), u"Poslední: %1 °C"_s.arg(f.ZoZmHodn.text()));

    QCoreApplication::processEvents();  // the layout follows the new texts
    const QString folder = QString::fromUtf8(VELD_SCREENSHOT_DIR);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(world.window.grab().save(folder + u"/measurement-page.png"_s));

    // Measuring again (at once and after 1.5 s), then the window closes.
    const std::size_t before = world.readPvRequests();
    world.click(u"Start_Mer"_s);
    world.clock.advance(1600ms);
    QCOMPARE(world.readPvRequests(), before + 2);
    QVERIFY(world.window.close());
    QVERIFY(!world.model.measurement().continuousRunning());
    world.clock.advance(10s);
    QCOMPARE(world.readPvRequests(), before + 2);
}

QTEST_MAIN(WindowSimTest)
#include "window_sim_test.moc"
