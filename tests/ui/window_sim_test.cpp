// The window on the simulated transmitter in virtual time, used through its widgets.

#include "window_world.h"

#include "config/traffic_log.h"
#include "ui/traffic_page.h"
#include "ui/trend_chart.h"

#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using namespace veld;

namespace {

struct SimWorld : ui::test::World {
    explicit SimWorld(Prompts& inner) : World(inner, true) {}
    void click(const QString& buttonName) {
        QTest::mouseClick(find<QPushButton>(buttonName), Qt::LeftButton);
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
    void wholeWrite_takesNoOtherInputAndGivesTheFocusBack() {
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
        const QString end = world.find<QLineEdit>(u"Konec"_s)->text();
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
        QCOMPARE(world.find<QLineEdit>(u"Konec"_s)->text(), end);
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

    // The measurement's rules are the model's; here its trend reaches the chart and the window's
    // close ends it.
    void continuousMeasurement_drawsItsTrendAndEndsWithTheWindow() {
        ScriptedPrompts script;
        SimWorld world(script);
        world.model.userShowedPage(5);
        QVERIFY(world.show());
        world.click(u"Precist"_s);  // enables the measurement buttons
        world.click(u"Start_Mer"_s);
        for (int i = 1; i <= 6; ++i) {
            if (i == 3)
                world.session().simFaults().Queue(sim::Fault::NoReply(), 3);  // a gap
            world.clock.advance(1500ms);
        }
        QCOMPARE(world.window.trend().segmentCount(), 2);
        auto* last = world.window.trend().findChild<QLabel*>(u"TrendLast"_s);
        QCOMPARE(last->text(), u"Poslední: %1 °C"_s.arg(world.model.form.ZoZmHodn.text()));

        const std::size_t before = world.readPvRequests();
        QVERIFY(world.window.close());
        QVERIFY(!world.model.measurement().continuousRunning());
        world.clock.advance(10s);
        QCOMPARE(world.readPvRequests(), before);
    }

    // The filters are the log's; here the page follows the link, its controls reach the filter and
    // it stays in front while a handler runs.
    void trafficPage_followsTheLinkFiltersAndStaysInFront() {
        config::TrafficLog log;  // outlives the window, as in the program
        ScriptedPrompts script;
        SimWorld world(script);
        world.session().link().onTransaction = [&log](const link::TransactionRecord& r) {
            log.add(r);
        };
        world.window.addTrafficPage(log);
        QVERIFY(world.show());
        world.click(u"Precist"_s);
        const int provoz = world.window.pages().count() - 1;
        world.window.pages().setCurrentIndex(provoz);
        auto* page = world.find<ui::TrafficPage>(u"Provoz"_s);
        QCOMPARE(page->table().rowCount(), 10);  // the whole read
        world.model.userClicked(u"Prec_Pozn"_s);
        QCOMPARE(world.window.pages().currentIndex(), provoz);
        QCOMPARE(page->table().rowCount(), 14);  // the note in four reads

        world.find<QLineEdit>(u"ProvozAdresa"_s)->setText(u"0x16B"_s);  // 363
        QVERIFY(page->table()
                    .data(page->table().index(0, ui::TrafficTableModel::Meaning), Qt::DisplayRole)
                    .toString()
                    .contains(u"tlumení"_s));
        world.find<QCheckBox>(u"ProvozSurova"_s)->setChecked(true);
        page->view().selectRow(0);
        QVERIFY(world.find<QPlainTextEdit>(u"ProvozBajty"_s)
                    ->toPlainText()
                    .startsWith(u"Požadavek (18 B): FF FF FF 82"_s));
        world.find<QCheckBox>(u"ProvozJenChyby"_s)->setChecked(true);
        QCOMPARE(page->table().rowCount(), 0);
    }
};

QTEST_MAIN(WindowSimTest)
#include "window_sim_test.moc"
