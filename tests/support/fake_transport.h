#pragma once

// A scriptable transport on the virtual clock: records what is written and answers each
// request with whatever the test queued for it, after the delay the test chose.

#include <algorithm>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <QSettings>
#include <QTemporaryDir>

#include "common/prompts.h"
#include "link/clock.h"
#include "link/device_access.h"
#include "link/frame.h"
#include "link/link.h"
#include "link/port_choice.h"
#include "link/transport.h"

namespace veld::testing {

using link::Byte;
using link::Micros;

// A long-address reply frame with the given data field (response code, device status, payload).
inline std::vector<Byte> ReplyFrame(const std::vector<Byte>& data, Byte command = 0x71) {
    const Byte code = data.empty() ? Byte{0} : data[0];
    const Byte status = data.size() < 2 ? Byte{0} : data[1];
    const auto payload = std::span<const Byte>(data).subspan(std::min<std::size_t>(data.size(), 2));
    return link::BuildReplyFrame(command, code, status, payload);
}

class FakeTransport final : public link::Transport {
public:
    explicit FakeTransport(link::Clock& clock) : clock_(clock) {}

    struct Answer {
        std::optional<std::vector<Byte>> bytes;  // nullopt: stay silent
        Micros delay{20000};
    };

    std::deque<Answer> answers;  // one per write; when empty, writes go unanswered
    std::vector<std::vector<Byte>> writes;
    std::vector<Micros> writeTimes;
    std::vector<std::string> opened;
    bool openFails = false, writeFails = false;
    // Accept at most this many bytes of each write (a partial write); nullopt accepts all.
    std::optional<std::size_t> acceptBytes;
    bool open_ = false, dtr = false, rts = false;
    int inputClears = 0;

    bool open(const std::string& name) override {
        if (open_)
            return true;
        if (openFails)
            return false;
        opened.push_back(name);
        open_ = true;
        return true;
    }
    void close() override {
        open_ = false;
        dtr = rts = false;
    }
    bool isOpen() const override { return open_; }
    std::int64_t write(std::span<const std::uint8_t> bytes) override {
        if (!open_ || writeFails)
            return 0;
        const std::size_t n = std::min(bytes.size(), acceptBytes.value_or(bytes.size()));
        writes.emplace_back(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        writeTimes.push_back(clock_.now());
        if (!answers.empty()) {
            Answer a = answers.front();
            answers.pop_front();
            if (a.bytes)
                clock_.schedule(a.delay, [this, reply = std::move(*a.bytes)] {
                    if (open_ && onReceive)
                        onReceive(reply);
                });
        }
        return static_cast<std::int64_t>(n);
    }
    void setDtr(bool on) override { dtr = on; }
    void setRts(bool on) override { rts = on; }
    void clearInput() override { ++inputClears; }

    // The device disappears: the port reports itself lost after `delay`.
    void vanishAfter(Micros delay) {
        clock_.schedule(delay, [this] {
            open_ = false;
            if (onLost)
                onLost();
        });
    }

private:
    link::Clock& clock_;
};

// The program's link and device access over a FakeTransport, with settings of its own.
struct FakeLinkWorld {
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("veld.ini")), QSettings::IniFormat};
    link::VirtualClock clock;
    FakeTransport transport{clock};
    ScriptedPrompts prompts;
    link::PortChoice port;
    link::Link link{transport, clock, prompts, port, settings};
    link::DeviceAccess access{link};

    void answer(std::optional<std::vector<Byte>> bytes, Micros delay = Micros{20000}) {
        transport.answers.push_back({std::move(bytes), delay});
    }
};

}  // namespace veld::testing
