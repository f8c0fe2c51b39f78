// The page "Měření" through its real widgets: continuous measurement on the simulated
// transmitter in virtual time draws its trend, gaps included, and a window closed while it runs
// starts no further measurement.

#include "config/main_window_model.h"
#include "session/session.h"
#include "ui/control_binder.h"
#include "ui/main_window.h"
#include "ui/qt_prompts.h"
#include "ui/trend_chart.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using namespace veld;

namespace {

struct World {
    World()
        : prompts(scripted),
          session(prompts, optionsWith(settings, clock)),
          window(model, prompts) {}
    static session::Options optionsWith(QSettings& settings, link::Clock& clock) {
        session::Options options;
        options.settings = &settings;
        options.clock = &clock;
        options.port = session::Session::kSimulatorAlias;
        return options;
    }
    void click(config::Control& control) {
        QTest::mouseClick(window.binder().widgetOf(control), Qt::LeftButton);
    }
    std::size_t readPvRequests() { return session.simDevice().Count("ReadPV"); }

    QTemporaryDir dir;
    QSettings settings{dir.filePath(u"veld.ini"_s), QSettings::IniFormat};
    link::VirtualClock clock;
    ScriptedPrompts scripted;
    ui::WindowPrompts prompts;
    session::Session session;
    config::MainWindowModel& model = session.model();
    config::MainForm& f = model.form;
    ui::MainWindow window;
};

}  // namespace

class MeasurementPageTest : public QObject {
    Q_OBJECT
private slots:
    void continuousMeasurementDrawsItsTrendWithGaps();
    void closingTheWindowEndsContinuousMeasurement();
};

void MeasurementPageTest::continuousMeasurementDrawsItsTrendWithGaps() {
    World world;
    // The whole read enables the measurement buttons and names the unit.
    world.model.userClicked(world.f.Precist);
    QCOMPARE(world.f.Label8.caption.trimmed(), u"°C"_s);
    world.model.userShowedPage(5);
    world.window.resize(900, 700);
    world.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&world.window));

    world.click(world.f.Start_Mer);
    QVERIFY(world.f.Timer3.enabled);
    // A minute of a slow wave; two measurements find no answer (each a gap, and the ticks that
    // come while it waits are lost).
    for (int i = 1; i <= 40; ++i) {
        if (i == 12 || i == 27)
            world.session.simFaults().Queue(sim::Fault::NoReply(), 3);
        world.session.simDevice().SetProcessValue(
            static_cast<float>(60.0 + 25.0 * std::sin(i / 6.0) + 0.5 * std::sin(i * 7.3)));
        world.clock.advance(1500ms);
    }
    world.click(world.f.Stop_mer);
    QVERIFY(!world.f.Timer3.enabled);

    const config::Trend& trend = world.model.measurement().trend();
    std::size_t gaps = 0;
    for (const config::TrendSample& s : trend.samples())
        gaps += s.value ? 0 : 1;
    QCOMPARE(gaps, std::size_t{2});
    QCOMPARE(world.window.trend().segmentCount(), 3);
    QCOMPARE(world.scripted.messages, QStringList(2, u"No answer from transmitter !"_s));
    auto* last = world.window.trend().findChild<QLabel*>(u"TrendLast"_s);
    QCOMPARE(last->text(), u"Poslední: %1 °C"_s.arg(world.f.ZoZmHodn.text()));

    QCoreApplication::processEvents();  // the layout follows the new texts
    const QString folder = QString::fromUtf8(VELD_SCREENSHOT_DIR);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(world.window.grab().save(folder + u"/measurement-page.png"_s));
    qInfo("picture in %s/measurement-page.png", qPrintable(folder));
}

void MeasurementPageTest::closingTheWindowEndsContinuousMeasurement() {
    World world;
    world.model.userClicked(world.f.Precist);
    world.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&world.window));
    world.click(world.f.Start_Mer);
    world.clock.advance(1600ms);
    const std::size_t before = world.readPvRequests();
    QCOMPARE(before, std::size_t{2});

    QVERIFY(world.window.close());
    QVERIFY(!world.model.measurement().continuousRunning());
    world.clock.advance(10s);
    QCOMPARE(world.readPvRequests(), before);
}

QTEST_MAIN(MeasurementPageTest)
#include "measurement_page_test.moc"
