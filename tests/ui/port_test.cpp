// The session's port routing and the page "Komunikace" wired to the port choice.

#include "config/main_window_model.h"
#include "link/clock.h"
#include "link/link.h"
#include "link/port_choice.h"
#include "session/port_page.h"
#include "session/port_router.h"
#include "session/session.h"
#include "sim/device.h"
#include "sim/fault_policy.h"
#include "sim/memory_image.h"
#include "sim/sim_transport.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <string>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using namespace veld;

namespace {

class FakeTransport final : public link::Transport {
public:
    bool open(const std::string& name) override {
        opened.push_back(name);
        open_ = true;
        return true;
    }
    void close() override {
        open_ = false;
        ++closes;
    }
    bool isOpen() const override { return open_; }
    std::int64_t write(std::span<const std::uint8_t> bytes) override {
        written.insert(written.end(), bytes.begin(), bytes.end());
        return static_cast<std::int64_t>(bytes.size());
    }
    void setDtr(bool on) override { dtr = on; }
    void setRts(bool on) override { rts = on; }

    void deliver(std::vector<std::uint8_t> bytes) {
        if (onReceive)
            onReceive(bytes);
    }
    void lose() {
        if (onLost)
            onLost();
    }

    std::vector<std::string> opened;
    std::vector<std::uint8_t> written;
    int closes = 0;
    bool dtr = false;
    bool rts = false;

private:
    bool open_ = false;
};

// Router on two fakes, recording what reaches the link.
struct Routing {
    Routing() {
        router.onReceive = [this](std::span<const std::uint8_t> bytes) {
            received.insert(received.end(), bytes.begin(), bytes.end());
        };
        router.onLost = [this] { ++lost; };
    }
    FakeTransport serial;
    FakeTransport simulator;
    session::PortRouter router{serial, simulator};
    std::vector<std::uint8_t> received;
    int lost = 0;
};

}  // namespace

class PortTest : public QObject {
    Q_OBJECT

private slots:
    void router_opensTheTransportThePortNames_data();
    void router_opensTheTransportThePortNames();
    void router_switchingPortsClosesTheOtherTransport();
    void router_passesOnOnlyTheActiveTransportsEvents();
    void link_reachesTheSimulatorOrTheSerialPortThroughTheRouter();
    void portPage_userChoiceGoesToThePortChoice();
    void portPage_simulatorIsNotRemembered();
    void portPage_showsTheRestoredChoice();
};

void PortTest::router_opensTheTransportThePortNames_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("simulated");
    QTest::newRow("simulator") << u"simulator"_s << true;
    QTest::newRow("COM3") << u"COM3"_s << false;
    QTest::newRow("device") << u"/dev/ttyUSB0"_s << false;
    QTest::newRow("near miss") << u"Simulator"_s << false;
}

void PortTest::router_opensTheTransportThePortNames() {
    QFETCH(QString, port);
    QFETCH(bool, simulated);
    Routing r;
    QVERIFY(!r.router.isOpen());
    QCOMPARE(r.router.write(std::vector<std::uint8_t>{1}), std::int64_t{0});  // nothing open yet

    QVERIFY(r.router.open(port.toStdString()));
    FakeTransport& used = simulated ? r.simulator : r.serial;
    FakeTransport& other = simulated ? r.serial : r.simulator;
    QCOMPARE(used.opened, std::vector<std::string>{port.toStdString()});
    QVERIFY(other.opened.empty());
    QVERIFY(r.router.isOpen());
    r.router.setDtr(true);
    r.router.setRts(true);
    QCOMPARE(r.router.write(std::vector<std::uint8_t>{0xFF, 0x82}), std::int64_t{2});
    QCOMPARE(used.written, (std::vector<std::uint8_t>{0xFF, 0x82}));
    QVERIFY(used.dtr && used.rts);
    QVERIFY(other.written.empty() && !other.dtr);
    r.router.close();
    QVERIFY(!r.router.isOpen());
}

void PortTest::router_switchingPortsClosesTheOtherTransport() {
    Routing r;
    r.router.open("simulator");
    r.router.open("/dev/ttyUSB0");
    QVERIFY(!r.simulator.isOpen());
    QCOMPARE(r.simulator.closes, 1);
    QVERIFY(r.serial.isOpen());
    // Reopening the same transport leaves it to the transport.
    r.router.open("/dev/ttyUSB0");
    QCOMPARE(r.serial.closes, 0);
}

void PortTest::router_passesOnOnlyTheActiveTransportsEvents() {
    Routing r;
    r.router.open("simulator");
    r.simulator.deliver({1, 2});
    r.serial.deliver({9});  // noise on a port nobody uses
    r.serial.lose();
    QCOMPARE(r.received, (std::vector<std::uint8_t>{1, 2}));
    QCOMPARE(r.lost, 0);

    r.router.open("COM1");
    r.simulator.deliver({3});  // a late reply of the simulator
    r.serial.deliver({4});
    r.serial.lose();
    QCOMPARE(r.received, (std::vector<std::uint8_t>{1, 2, 4}));
    QCOMPARE(r.lost, 1);
}

void PortTest::link_reachesTheSimulatorOrTheSerialPortThroughTheRouter() {
    // The program's own chain, in virtual time: link, router, simulated transmitter.
    link::VirtualClock clock;
    sim::MemoryImage image;
    sim::Device device(image);
    sim::FaultPolicy faults;
    sim::SimTransport simulator(device, faults, clock);
    FakeTransport serial;
    session::PortRouter router(serial, simulator);
    QTemporaryDir dir;
    QSettings settings(dir.filePath(u"veld.ini"_s), QSettings::IniFormat);
    ScriptedPrompts prompts;
    link::PortChoice choice;
    choice.selectOther(u"simulator"_s, false);
    link::Link link(router, clock, prompts, choice, settings);
    std::vector<int> progress;
    link.onTransfer1 = [&progress](int value) { progress.push_back(value); };

    QVERIFY(!link.ReadKonst(static_cast<std::uint16_t>(model::eeprom::kSignature.address),
                            2));  // false: no error
    QCOMPARE(device.RequestsReceived(), std::size_t{1});
    QVERIFY(prompts.messages.isEmpty());
    QVERIFY(serial.opened.empty());
    QVERIFY(!progress.empty());
    QCOMPARE(progress.back(), 100);

    // COM1 has no transmitter behind it here: the serial side is used and nobody answers.
    choice.selectCom(0);
    link.SetComClick();
    QVERIFY(link.ReadKonst(static_cast<std::uint16_t>(model::eeprom::kSignature.address), 2));
    QCOMPARE(serial.opened.front(), std::string("COM1"));
    QCOMPARE(device.RequestsReceived(), std::size_t{1});
    QVERIFY(!simulator.isOpen());
    QCOMPARE(prompts.messages, QStringList({link::kMsgNoAnswer}));
}

// A session on a virtual clock with settings of its own.
struct Program {
    Program() {
        session::Options options;
        options.settings = &settings;
        options.clock = &clock;
        session = std::make_unique<session::Session>(prompts, std::move(options));
    }
    QTemporaryDir dir;
    QSettings settings{dir.filePath(u"veld.ini"_s), QSettings::IniFormat};
    link::VirtualClock clock;
    ScriptedPrompts prompts;
    std::unique_ptr<session::Session> session;
};

void PortTest::portPage_userChoiceGoesToThePortChoice() {
    Program program;
    config::MainWindowModel& model = program.session->model();
    link::PortChoice choice;
    int reopenRequests = 0;
    session::PortPage page(model, choice, [&] { ++reopenRequests; });
    page.refresh({u"/dev/ttyUSB0"_s});
    QCOMPARE(model.form.DalsiPorty.items,
             QStringList({u"/dev/ttyUSB0"_s, session::PortPage::kSimulatorCaption}));

    model.userSelected(model.form.DalsiPorty, 1);
    QCOMPARE(choice.portName(), std::string("simulator"));
    QCOMPARE(reopenRequests, 1);

    model.userSelected(model.form.DalsiPorty, 0);
    QCOMPARE(choice.portName(), std::string("/dev/ttyUSB0"));
    QCOMPARE(model.form.SetCom.itemIndex, -1);
    QCOMPARE(reopenRequests, 2);

    model.userSelected(model.form.SetCom, 2);
    QCOMPARE(choice.portName(), std::string("COM3"));
    QVERIFY(choice.otherPort().isEmpty());
    QCOMPARE(model.form.DalsiPorty.itemIndex, -1);
    QCOMPARE(reopenRequests, 3);
}

void PortTest::portPage_simulatorIsNotRemembered() {
    QTemporaryDir dir;
    QSettings settings(dir.filePath(u"veld.ini"_s), QSettings::IniFormat);
    Program program;
    config::MainWindowModel& model = program.session->model();
    link::PortChoice choice;
    session::PortPage page(model, choice, [] {});
    page.refresh({});
    model.userSelected(model.form.DalsiPorty, 0);
    QCOMPARE(choice.portName(), std::string("simulator"));
    choice.recordOpened(settings);
    QVERIFY(!settings.contains(link::PortChoice::kOtherPortKey));
}

void PortTest::portPage_showsTheRestoredChoice() {
    Program program;
    config::MainWindowModel& model = program.session->model();
    link::PortChoice choice;
    session::PortPage page(model, choice, [] {});

    // A remembered device that is not plugged in now stays offered and chosen.
    choice.selectOther(u"/dev/ttyACM0"_s);
    page.refresh({u"/dev/ttyUSB1"_s});
    page.showChoice();
    QCOMPARE(model.form.DalsiPorty.items, QStringList({u"/dev/ttyUSB1"_s, u"/dev/ttyACM0"_s,
                                                       session::PortPage::kSimulatorCaption}));
    QCOMPARE(model.form.DalsiPorty.itemIndex, 1);
    QCOMPARE(model.form.SetCom.itemIndex, -1);

    choice.selectOther(u"simulator"_s, false);
    page.showChoice();
    QCOMPARE(model.form.DalsiPorty.items.at(model.form.DalsiPorty.itemIndex),
             session::PortPage::kSimulatorCaption);

    choice.selectCom(5);
    page.showChoice();
    QCOMPARE(model.form.SetCom.itemIndex, 5);
    QCOMPARE(model.form.DalsiPorty.itemIndex, -1);
}

QTEST_GUILESS_MAIN(PortTest)
#include "port_test.moc"
