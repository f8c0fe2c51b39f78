// The session's port routing and the page "Komunikace" wired to the port
// choice.

#include "config/main_window_model.h"
#include "session/port_page.h"
#include "session/port_router.h"
#include "session/session.h"
#include "support/fake_transport.h"
#include "support/link_calls.h"
#include "support/program.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using namespace veld;
using Bytes = std::vector<std::uint8_t>;
using testing::ReadKonst;

namespace {

// Router on two fakes, recording what reaches the link.
struct Routing {
    Routing() {
        router.onReceive = [this](std::span<const std::uint8_t> bytes) {
            received.insert(received.end(), bytes.begin(), bytes.end());
        };
        router.onLost = [this] { ++lost; };
    }
    link::VirtualClock clock;
    testing::FakeTransport serial{clock};
    testing::FakeTransport simulator{clock};
    session::PortRouter router{serial, simulator};
    Bytes received;
    int lost = 0;
};

// The page "Komunikace" of a program on the virtual clock, on a port choice of
// its own.
struct PortProgram : testing::Program {
    PortProgram() : Program({.port = std::nullopt}) {}
    link::PortChoice choice;
    int reopenRequests = 0;
    session::PortPage page{m(), choice, [this] { ++reopenRequests; }};
};

}  // namespace

class PortTest : public QObject {
    Q_OBJECT

private slots:
    void router_opensTheTransportThePortNames() {
        for (const auto& [port, simulated] : {std::pair{std::string("simulator"), true},
                                              {"/dev/ttyUSB0", false},
                                              {"Simulator", false}}) {
            Routing r;
            QVERIFY(!r.router.isOpen());
            QCOMPARE(r.router.write(Bytes{1}), std::int64_t{0});  // nothing open yet

            QVERIFY(r.router.open(port));
            testing::FakeTransport& used = simulated ? r.simulator : r.serial;
            testing::FakeTransport& other = simulated ? r.serial : r.simulator;
            QCOMPARE(used.opened, std::vector<std::string>{port});
            QVERIFY(other.opened.empty());
            r.router.setDtr(true);
            QCOMPARE(r.router.write(Bytes{0xFF, 0x82}), std::int64_t{2});
            QCOMPARE(used.writes, std::vector<Bytes>{Bytes({0xFF, 0x82})});
            QVERIFY(used.dtr && other.writes.empty() && !other.dtr);
            r.router.close();
            QVERIFY(!r.router.isOpen());
        }
    }

    void router_switchesAndPassesOnOnlyTheActiveTransportsEvents() {
        Routing r;
        r.router.open("simulator");
        r.simulator.onReceive(Bytes{1, 2});
        r.serial.onReceive(Bytes{9});  // noise on a port nobody uses
        r.serial.onLost();
        QCOMPARE(r.received, (Bytes{1, 2}));
        QCOMPARE(r.lost, 0);

        r.router.open("COM1");
        QVERIFY(!r.simulator.isOpen());
        QVERIFY(r.serial.isOpen());
        r.simulator.onReceive(Bytes{3});  // a late reply of the simulator
        r.serial.onReceive(Bytes{4});
        r.serial.onLost();
        QCOMPARE(r.received, (Bytes{1, 2, 4}));
        QCOMPARE(r.lost, 1);
        // Reopening the same transport leaves it to the transport: no close and open
        // again.
        r.router.open("COM1");
        QCOMPARE(r.serial.opened.size(), std::size_t{1});
    }

    void portPage_userChoiceGoesToThePortChoiceAndTheRestoredOneIsShown() {
        PortProgram p;
        p.page.refresh({u"/dev/ttyUSB0"_s});
        QCOMPARE(p.f().DalsiPorty.items,
                 QStringList({u"/dev/ttyUSB0"_s, session::PortPage::kSimulatorCaption}));

        p.m().userSelected(p.f().DalsiPorty, 1);
        QCOMPARE(p.choice.portName(), std::string("simulator"));
        QCOMPARE(p.reopenRequests, 1);
        p.choice.recordOpened(p.settings);  // the simulator is not remembered
        QVERIFY(!p.settings.contains(link::PortChoice::kOtherPortKey));

        // A remembered device that is not plugged in now stays offered and chosen.
        p.choice.selectOther(u"/dev/ttyACM0"_s);
        p.page.refresh({u"/dev/ttyUSB1"_s});
        p.page.showChoice();
        QCOMPARE(p.f().DalsiPorty.items, QStringList({u"/dev/ttyUSB1"_s, u"/dev/ttyACM0"_s,
                                                      session::PortPage::kSimulatorCaption}));
        QCOMPARE(p.f().DalsiPorty.itemIndex, 1);
        QCOMPARE(p.f().SetCom.itemIndex, -1);
    }
};

QTEST_GUILESS_MAIN(PortTest)
#include "port_test.moc"
