// The transport over a real serial port: what it does when the port is missing, closed or gone,
// and the purge of pending input. The pseudo-terminal cases wait only for events, never for a
// fixed time.

#include "link/serial_transport.h"

#include <gtest/gtest.h>

#include "link/real_clock.h"
#include "support/core_app.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
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
    // Harmless on a closed port.
    transport.setDtr(true);
    transport.setRts(true);
    transport.clearInput();
    transport.close();
    EXPECT_EQ(lost, 0);
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
}

#ifndef _WIN32

// The transmitter's end of a pseudo-terminal.
class PtyEnd {
public:
    PtyEnd() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            path_ = ptsname(master_);
    }
    ~PtyEnd() { closeMaster(); }
    const std::string& path() const { return path_; }
    bool send(const std::vector<std::uint8_t>& bytes) const {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    std::vector<std::uint8_t> receive() const {
        std::vector<std::uint8_t> got(256);
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0)
            return {};
        const ssize_t n = ::read(master_, got.data(), got.size());
        got.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return got;
    }
    void closeMaster() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string path_;
};

TEST_F(SerialTransportTest, pseudoTerminal_carriesBytesBothWays) {
    PtyEnd pty;
    ASSERT_FALSE(pty.path().empty());
    ASSERT_TRUE(transport.open(pty.path()));
    EXPECT_TRUE(transport.open(pty.path())) << "open twice: still open";
    const std::vector<std::uint8_t> request{0xFF, 0xFF, 0xFF, 0x82, 0x3A};
    EXPECT_EQ(transport.write(request), 5);
    EXPECT_EQ(pty.receive(), request);
    ASSERT_TRUE(pty.send({0x11, 0x22}));
    EXPECT_FALSE(clock.runFor(5s, [&] { return received.size() >= 2; }));
    EXPECT_EQ(received, (std::vector<std::uint8_t>{0x11, 0x22}));
    transport.close();
    EXPECT_FALSE(transport.isOpen());
    EXPECT_EQ(transport.write(request), 0) << "a write on a closed port";
}

TEST_F(SerialTransportTest, clearInput_dropsWhatArrivedBeforeIt) {
    PtyEnd pty;
    ASSERT_TRUE(transport.open(pty.path()));
    ASSERT_TRUE(pty.send({0xAA, 0xAA, 0xAA}));
    // Wait until the stale bytes sit in the terminal's input queue (seen through a second
    // descriptor that reads nothing), without running the event loop that would hand them on.
    const int watcher = ::open(pty.path().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(watcher, 0);
    pollfd p{watcher, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 5000), 1);
    ::close(watcher);

    transport.clearInput();
    ASSERT_TRUE(pty.send({0x55}));
    EXPECT_FALSE(clock.runFor(5s, [&] { return !received.empty(); }));
    EXPECT_EQ(received, std::vector<std::uint8_t>{0x55});
}

TEST_F(SerialTransportTest, vanishedDevice_isReportedOnceAndClosed) {
    PtyEnd pty;
    ASSERT_TRUE(transport.open(pty.path()));
    pty.closeMaster();
    EXPECT_FALSE(clock.runFor(5s, [&] { return lost > 0; }));
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(transport.isOpen());
    EXPECT_EQ(transport.write(std::vector<std::uint8_t>{1}), 0);
}

#endif  // _WIN32

}  // namespace
}  // namespace veld::link
