// The real clock, which waits in a local event loop that a condition, a wake or the time-out
// ends; and the transport over a real serial port, missing, closed or gone, held by another
// program or by a lock file left behind, and its purge of pending input. Real time: a few
// milliseconds a wait, the pseudo-terminal cases wait for events.

#include "link/serial_transport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>

#include "link/port_list.h"
#include "link/port_lock.h"
#include "link/real_clock.h"
#include "support/core_app.h"

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace veld::link {
namespace {

using namespace std::chrono_literals;

class SerialTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        veld::testing::CoreApp();
        transport.onReceive = [this](std::span<const std::uint8_t> bytes) {
            received.insert(received.end(), bytes.begin(), bytes.end());
            clock.wake();
        };
        transport.onLost = [this] {
            ++lost;
            clock.wake();
        };
    }
    RealClock clock;
    SerialTransport transport;
    std::vector<std::uint8_t> received;
    int lost = 0;
};

TEST_F(SerialTransportTest, missingPort_failsToOpenAndAcceptsNothing) {
    const std::vector<std::uint8_t> request{0xFF, 0x82};
    EXPECT_FALSE(transport.open("/dev/veld-no-such-port"));
    EXPECT_FALSE(transport.isOpen());
    EXPECT_EQ(transport.write(request), 0);
    transport.setDtr(true);  // harmless on a closed port
    transport.setRts(true);
    transport.clearInput();
    transport.close();
    EXPECT_EQ(lost, 0);
}

using RealClockTest = SerialTransportTest;  // its transport stays closed

TEST_F(RealClockTest, expiresNeverEarly_aWakeEndsTheWaitWhenTheConditionHolds) {
    Micros start = clock.now();
    EXPECT_TRUE(clock.runFor(20ms, [] { return false; }));
    EXPECT_GE(clock.now() - start, 20ms);
    EXPECT_FALSE(clock.runFor(10s, [] { return true; })) << "a condition already met";

    bool done = false;
    int calls = 0;
    clock.schedule(5ms, [&] { ++calls; });  // an event that does not wake: the wait goes on
    clock.schedule(15ms, [&] {
        done = true;
        clock.wake();
    });
    start = clock.now();
    EXPECT_FALSE(clock.runFor(10s, [&] { return done; }));
    EXPECT_EQ(calls, 1);
    EXPECT_GE(clock.now() - start, 15ms);
    EXPECT_LT(clock.now() - start, 5s);
}

// A transaction started while the window waits for the next measurement: the inner wait ends by
// its own rules, the outer one sees its condition met during the inner wait.
TEST_F(RealClockTest, nestedWaits_endEachByItsOwnRules) {
    bool outerDone = false, innerExpired = false;
    Micros innerStart{0}, innerEnd{0};
    clock.schedule(5ms, [&] {
        clock.schedule(10ms, [&] {
            outerDone = true;  // met while the inner wait runs
            clock.wake();
        });
        innerStart = clock.now();
        innerExpired = clock.runFor(40ms, [] { return false; });
        innerEnd = clock.now();
    });
    const Micros start = clock.now();
    EXPECT_FALSE(clock.runFor(10s, [&] { return outerDone; }));
    EXPECT_TRUE(innerExpired) << "the wake was not the inner wait's";
    // Timers keep whole milliseconds; the outer loop may start late under load.
    EXPECT_GE(innerEnd - innerStart, 39ms);
    EXPECT_LT(clock.now() - start, 5s) << "the outer wait noticed its condition";
}

TEST_F(RealClockTest, scheduledCallsDieWithTheClock) {
    bool ran = false;
    {
        RealClock shortLived;
        shortLived.schedule(1ms, [&] { ran = true; });
    }
    clock.pause(20ms);
    EXPECT_FALSE(ran);
}

TEST(SystemPortName, comItemsAreTheSystemsDevices) {
#ifdef _WIN32
    EXPECT_EQ(SystemPortName("COM3"), QStringLiteral("COM3"));
#else
    EXPECT_EQ(SystemPortName("COM1"), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(SystemPortName("COM8"), QStringLiteral("/dev/ttyS7"));
    EXPECT_EQ(SystemPortName("COM9"), QStringLiteral("COM9"));
    EXPECT_EQ(SystemPortName("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB0"));
#endif
    // And back, for a port the system lists: the item that names it, or the port itself.
    for (const char* com : {"COM1", "COM8"})
        EXPECT_EQ(ChoiceName(SystemPortName(com)), QString::fromLatin1(com));
    EXPECT_EQ(ChoiceName(QStringLiteral("/dev/ttyUSB0")), QStringLiteral("/dev/ttyUSB0"));
}

#ifndef _WIN32

// The transmitter's end of a pseudo-terminal; `path` names the program's end.
struct PtyEnd {
    PtyEnd() : master(posix_openpt(O_RDWR | O_NOCTTY)) {
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            path = ptsname(master);
    }
    ~PtyEnd() { closeMaster(); }
    bool send(const std::vector<std::uint8_t>& bytes) const {
        return ::write(master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    std::vector<std::uint8_t> receive() const {
        std::vector<std::uint8_t> got(256);
        pollfd p{master, POLLIN, 0};
        const ssize_t n = poll(&p, 1, 5000) > 0 ? ::read(master, got.data(), got.size()) : 0;
        got.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return got;
    }
    void closeMaster() {
        if (master >= 0)
            ::close(std::exchange(master, -1));
    }

    int master;
    std::string path;
};

TEST_F(SerialTransportTest, pseudoTerminal_carriesBytesBothWays_aVanishedDeviceIsReportedOnce) {
    PtyEnd pty;
    ASSERT_FALSE(pty.path.empty());
    ASSERT_TRUE(transport.open(pty.path));
    EXPECT_TRUE(transport.open(pty.path)) << "open twice: still open";
    // No line timing behind a pseudo-terminal: a harness there may answer at once.
    EXPECT_EQ(transport.shortestCharacterTime(), Micros{0});
    const std::vector<std::uint8_t> request{0xFF, 0xFF, 0xFF, 0x82, 0x3A};
    EXPECT_EQ(transport.write(request), 5);
    EXPECT_EQ(pty.receive(), request);
    ASSERT_TRUE(pty.send({0x11, 0x22}));
    EXPECT_FALSE(clock.runFor(5s, [&] { return received.size() >= 2; }));
    EXPECT_EQ(received, (std::vector<std::uint8_t>{0x11, 0x22}));

    pty.closeMaster();
    EXPECT_FALSE(clock.runFor(5s, [&] { return lost > 0; }));
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(transport.isOpen());
    EXPECT_EQ(transport.write(request), 0);
}

TEST_F(SerialTransportTest, clearInput_dropsWhatArrivedBeforeIt) {
    PtyEnd pty;
    ASSERT_TRUE(transport.open(pty.path));
    ASSERT_TRUE(pty.send({0xAA, 0xAA, 0xAA}));
    // Wait until the stale bytes sit in the terminal's input queue (seen through a second
    // descriptor that reads nothing), without running the event loop that would hand them on.
    const int watcher = ::open(pty.path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(watcher, 0);
    pollfd p{watcher, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 5000), 1);
    ::close(watcher);

    transport.clearInput();
    ASSERT_TRUE(pty.send({0x55}));
    EXPECT_FALSE(clock.runFor(5s, [&] { return !received.empty(); }));
    EXPECT_EQ(received, std::vector<std::uint8_t>{0x55});
}

// "Port používá jiný program (NAME, PID N)." for this process.
std::string HeldByThisProcess() {
    QFile comm(QStringLiteral("/proc/self/comm"));
    EXPECT_TRUE(comm.open(QIODevice::ReadOnly));
    return "Port používá jiný program (" + comm.readAll().trimmed().toStdString() + ", PID " +
           std::to_string(getpid()) + ").";
}

// Other names of one device (a symbolic link, a doubled slash) are refused at once while it is
// open, naming the holder; so is a device a program locked without the lock file.
TEST_F(SerialTransportTest, deviceHeldUnderAnyName_isRefusedNamingTheHolder) {
    PtyEnd pty;
    QTemporaryDir dir;
    const std::string link = dir.filePath(QStringLiteral("port")).toStdString();
    ASSERT_EQ(::symlink(pty.path.c_str(), link.c_str()), 0);
    const std::string doubled = "/dev/" + pty.path.substr(4);
    ASSERT_TRUE(transport.open(link));
    EXPECT_TRUE(QFile::exists(SerialLockFile(QString::fromStdString(pty.path))))
        << "the lock file QSerialPort takes is the one examined";
    for (const std::string& name : {pty.path, link, doubled}) {
        SerialTransport other;
        EXPECT_FALSE(other.open(name)) << name;
        EXPECT_EQ(other.openRefusal(), HeldByThisProcess()) << name;
    }
    transport.close();

    const int held = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_FALSE(transport.open(doubled));
    EXPECT_EQ(transport.openRefusal(), HeldByThisProcess());
    ::close(held);
    EXPECT_TRUE(transport.open(doubled));
    EXPECT_EQ(transport.openRefusal(), "");
}

// A lock file whose run was killed: empty (killed while writing it), or naming a living process
// of this program that does not use the port (process ids repeat across namespaces). One that a
// living program holds stays.
TEST_F(SerialTransportTest, lockFileLeftByAKilledRun_doesNotBlock) {
    PtyEnd pty;
    const QString lockFile = SerialLockFile(QString::fromStdString(pty.path));
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    const QByteArray self = QByteArray::number(getpid()) + '\n' +
                            exe.section(u'/', -1).toLocal8Bit() + '\n' + host + '\n';
    for (const QByteArray& content : {QByteArray(), self}) {
        QFile file(lockFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        EXPECT_TRUE(transport.open(pty.path)) << content.toStdString();
        transport.close();
        EXPECT_FALSE(QFile::exists(lockFile));
    }

    QLockFile living(lockFile);
    ASSERT_TRUE(living.tryLock());
    EXPECT_FALSE(transport.open(pty.path));
    EXPECT_EQ(transport.openRefusal(), HeldByThisProcess());
}

// A device the user may not open says why and names the group whose members may. Made so by
// taking root's rights away for the open.
TEST_F(SerialTransportTest, deviceTheUserMayNotOpen_namesTheGroupThatGrantsAccess) {
    const group* dialout = ::getgrnam("dialout");
    if (::geteuid() != 0 || dialout == nullptr)
        GTEST_SKIP() << "needs root and the group dialout";
    PtyEnd pty;
    const QString device = QString::fromStdString(pty.path);
    ASSERT_EQ(::chown(pty.path.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(pty.path.c_str(), 0660), 0);
    constexpr uid_t kNobody = 65534;
    ASSERT_EQ(::setegid(kNobody), 0);
    ASSERT_EQ(::seteuid(kNobody), 0);
    const bool opened = transport.open(pty.path);
    const std::string refusal = transport.openRefusal();
    ASSERT_EQ(::seteuid(0), 0);
    ASSERT_EQ(::setegid(0), 0);
    EXPECT_FALSE(opened);
    EXPECT_EQ(refusal, "Přístup k portu " + pty.path +
                           " byl odepřen. Přidejte uživatele do skupiny dialout (sudo usermod -aG "
                           "dialout $USER) a přihlaste se znovu.");
    // No group to name: one that may not read and write it, or root's.
    ASSERT_EQ(::chmod(pty.path.c_str(), 0640), 0);
    EXPECT_EQ(DeviceGroup(device), QString());
    ASSERT_EQ(::chmod(pty.path.c_str(), 0660), 0);
    ASSERT_EQ(::chown(pty.path.c_str(), 0, 0), 0);
    EXPECT_EQ(DeviceGroup(device), QString());
    EXPECT_EQ(AccessDeniedText(device, {}),
              QStringLiteral("Přístup k portu %1 byl odepřen.").arg(device));
}

#endif  // _WIN32

}  // namespace
}  // namespace veld::link
