// The window on the simulated transmitter in virtual time, used through its widgets.

#include "window_world.h"

#include "config/traffic_log.h"
#include "ui/traffic_page.h"
#include "ui/trend_chart.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <cmath>
#include <functional>
#include <memory>

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
    // Clicks the button and runs the click to its end in virtual time. Meanwhile the window's
    // events are processed every 10 ms, as they are while the real clock waits, and `user` acts
    // once, `at` after the click. Returns the requests the click sent.
    QList<QByteArray> clickWhileUserActs(const QString& buttonName, std::chrono::milliseconds at,
                                         const std::function<void()>& user) {
        session().simDevice().ClearCounters();
        const auto running = std::make_shared<bool>(true);
        processEventsEvery10ms(running);
        clock.schedule(at, user);
        click(buttonName);
        *running = false;
        QList<QByteArray> requests;
        for (const sim::Request& r : session().simDevice().Log())
            requests.append(
                char(r.command) +
                QByteArray(reinterpret_cast<const char*>(r.data.data()), qsizetype(r.data.size())));
        return requests;
    }
    void processEventsEvery10ms(const std::shared_ptr<bool>& running) {
        clock.schedule(10ms, [this, running] {
            if (!*running)
                return;
            QCoreApplication::processEvents();
            processEventsEvery10ms(running);
        });
    }
};

}  // namespace

class WindowSimTest : public QObject {
    Q_OBJECT

private slots:
    void wholeWrite_takesNoOtherInputAndGivesTheFocusBack();
    void continuousMeasurement_drawsItsTrendAndEndsWithTheWindow();
    void trafficPage_followsTheLinkFiltersAndStaysInFront();
};

void WindowSimTest::wholeWrite_takesNoOtherInputAndGivesTheFocusBack() {
    ScriptedPrompts script;  // answers Yes
    SimWorld world(script);
    QVERIFY(world.show());
    world.click(u"Precist"_s);
    auto* write = world.find<QPushButton>(u"Poslat"_s);
    const auto nobody = [] {};
    const QList<QByteArray> undisturbed = world.clickWhileUserActs(u"Poslat"_s, 300ms, nobody);
    QVERIFY(undisturbed.size() > 20);
    QCOMPARE(QApplication::focusWidget(), write);

    // Mid-write the user clicks the file "Přečíst", types into "Konec" and presses Space.
    const QString end = world.text(u"Konec"_s);
    bool midWrite = false;
    const QList<QByteArray> disturbed = world.clickWhileUserActs(u"Poslat"_s, 300ms, [&] {
        midWrite = world.model.operationRunning();
        QTest::mouseClick(world.find<QPushButton>(u"ctisoub"_s), Qt::LeftButton);
        QTest::keyClicks(world.find<QLineEdit>(u"Konec"_s), u"9"_s);
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &world.window, Qt::Key_Space);
    });
    QVERIFY(midWrite);
    QCOMPARE(disturbed, undisturbed);
    QVERIFY(script.fileRequests.isEmpty());
    QCOMPARE(world.text(u"Konec"_s), end);
    QCOMPARE(world.model.form.Konec.text(), end);
    QCOMPARE(script.messages, QStringList());
    QCOMPARE(QApplication::focusWidget(), write);

    // A field the write asks for mid-way gets the focus when the write has ended.
    auto* correction = world.find<QLineEdit>(u"korekcePV"_s);
    QVERIFY(correction->isVisible());
    world.typeInto(correction, {});
    QTest::keyClick(correction, Qt::Key_Backspace);
    world.clickWhileUserActs(u"Poslat"_s, 300ms, nobody);
    QCOMPARE(script.messages, QStringList{u"Je nutno vyplnit hodnotu korekce PV."_s});
    QTRY_COMPARE(QApplication::focusWidget(), correction);
}

void WindowSimTest::continuousMeasurement_drawsItsTrendAndEndsWithTheWindow() {
    ScriptedPrompts script;
    SimWorld world(script);
    config::MainForm& f = world.model.form;
    world.model.userShowedPage(5);
    world.window.resize(900, 700);
    QVERIFY(world.show());
    world.click(u"Precist"_s);  // enables the measurement buttons

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

    QCOMPARE(world.window.trend().segmentCount(), 3);
    auto* last = world.window.trend().findChild<QLabel*>(u"TrendLast"_s);
    QCOMPARE(last->text(), u"Poslední: %1 °C"_s.arg(f.ZoZmHodn.text()));

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

void WindowSimTest::trafficPage_followsTheLinkFiltersAndStaysInFront() {
    config::TrafficLog log;  // outlives the window, as in the program
    ScriptedPrompts script;
    SimWorld world(script);
    world.session().link().onTransaction = [&log](const link::TransactionRecord& r) { log.add(r); };
    world.window.addTrafficPage(log);
    QVERIFY(world.show());
    world.click(u"Precist"_s);
    const int provoz = world.window.pages().count() - 1;
    world.window.pages().setCurrentIndex(provoz);
    QCOMPARE(world.window.pages().tabText(provoz), u"Provoz"_s);

    auto* page = world.find<ui::TrafficPage>(u"Provoz"_s);
    const int rows = page->table().rowCount();
    QCOMPARE(rows, 10);  // the whole read
    QCOMPARE(static_cast<std::size_t>(rows), log.size());
    // The model knows nothing of this page: a handler's transactions leave it in front.
    world.model.userClicked(u"Prec_Pozn"_s);
    QCOMPARE(world.window.pages().currentIndex(), provoz);
    QCOMPARE(page->table().rowCount(), rows + 4);  // the note in four reads

    world.find<QCheckBox>(u"ProvozJenChyby"_s)->setChecked(true);
    QCOMPARE(page->table().rowCount(), 0);
    world.find<QCheckBox>(u"ProvozJenChyby"_s)->setChecked(false);
    world.find<QLineEdit>(u"ProvozAdresa"_s)->setText(u"0x16B"_s);  // 363
    QVERIFY(page->table().rowCount() >= 1);
    QVERIFY(page->table()
                .data(page->table().index(0, ui::TrafficTableModel::Meaning), Qt::DisplayRole)
                .toString()
                .contains(u"tlumení"_s));
    world.find<QCheckBox>(u"ProvozSurova"_s)->setChecked(true);
    page->view().selectRow(0);
    QVERIFY(world.find<QPlainTextEdit>(u"ProvozBajty"_s)
                ->toPlainText()
                .startsWith(u"Požadavek (18 B): FF FF FF 82"_s));

    world.session().simFaults().Queue(sim::Fault::NoReply(), 3);
    world.find<QLineEdit>(u"ProvozAdresa"_s)->clear();
    world.find<QCheckBox>(u"ProvozJenChyby"_s)->setChecked(true);
    world.model.userClicked(u"Prec_Pozn"_s);
    QCOMPARE(page->table().rowCount(), 1);
}

QTEST_MAIN(WindowSimTest)
#include "window_sim_test.moc"
