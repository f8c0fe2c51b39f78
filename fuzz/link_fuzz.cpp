// The transaction engine on the virtual clock, driven through device access, with a far end
// that answers anything at any time: arbitrary bytes, well-formed and spoilt replies, several
// chunks, repeats, silence and a vanishing port.

#include <fuzzer/FuzzedDataProvider.h>

#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "common/prompts.h"
#include "fuzz_check.h"
#include "fuzz_transport.h"
#include "link/clock.h"
#include "link/device_access.h"
#include "link/link.h"
#include "link/port_choice.h"

using namespace veld;

namespace {

// Prompts that only count: the engine's messages need no record here.
class CountingPrompts final : public Prompts {
public:
    int messages = 0;
    void message(const QString&) override { ++messages; }
    bool question(const QString&) override { return false; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    void focus(const QString&) override {}
};

// VELD_FUZZ_TRACE=1 prints what each operation did, for reading an input by hand.
bool Trace() {
    static const bool on = std::getenv("VELD_FUZZ_TRACE") != nullptr;
    return on;
}

QSettings& Settings() {
    static QTemporaryDir dir;
    static QSettings settings(dir.filePath(QStringLiteral("veld.ini")), QSettings::IniFormat);
    return settings;
}

// Settle, then per attempt the write pause, the reply time-out and the pause after it.
constexpr link::Micros kWorstCase =
    link::kLineSettleTime +
    link::kAttempts * (link::kAfterWrite + link::kReplyTimeout + link::kRetryPause);

// The reply the engine holds answers `command` with a right checksum and at least `payload`
// payload bytes; its data bytes are what device access handed on.
void CheckReply(const link::Link& link, link::Byte command, std::size_t payload) {
    const std::vector<link::Byte> frame = link.replyFrame();
    const auto view = fuzz::ReadReply(frame, frame.size() - 1);
    FUZZ_CHECK(view.has_value(), "a success holds a well-formed reply with a right checksum");
    FUZZ_CHECK(view->command == command, "a success answers the command sent");
    FUZZ_CHECK(view->byteCount >= 2 + payload, "a success holds the bytes asked for");
    const auto data = link.replyData();
    FUZZ_CHECK(view->byteCount == data.size(), "the byte count is the frame's");
    FUZZ_CHECK(std::equal(data.begin(), data.end(),
                          frame.begin() + static_cast<std::ptrdiff_t>(view->dataStart)),
               "the reply's data are the frame's data bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    link::VirtualClock clock;
    fuzz::FuzzTransport transport(in, clock);
    CountingPrompts prompts;
    link::PortChoice port;
    port.setPersistent(false);
    link::Link engine(transport, clock, prompts, port, Settings());
    link::DeviceAccess access(engine);

    for (int op = 0; op < 6 && in.remaining_bytes() > 0; ++op) {
        const link::Micros start = clock.now();
        const int messagesBefore = prompts.messages;
        const int writesBefore = transport.writes;
        const auto kind = in.ConsumeIntegralInRange<int>(0, 4);
        int requests = 1;
        bool ok = false;
        switch (kind) {
            case 0: {
                const auto address = in.ConsumeIntegral<std::uint16_t>();
                const auto count = in.ConsumeIntegralInRange<std::uint8_t>(1, 47);
                const auto r = access.readBytes(address, count);
                ok = r.ok();
                if (ok) {
                    CheckReply(engine, 0x71, count);
                    FUZZ_CHECK(r->size() == count, "a read returns the count asked for");
                    FUZZ_CHECK(std::equal(r->begin(), r->end(), engine.replyData().begin() + 2),
                               "a read returns the reply's payload");
                }
                break;
            }
            case 1: {
                const auto address = in.ConsumeIntegral<std::uint16_t>();
                auto bytes = in.ConsumeBytes<link::Byte>(in.ConsumeIntegralInRange<int>(1, 20));
                if (bytes.empty())
                    bytes.push_back(0);
                const auto r = access.writeBytes(address, bytes);
                ok = r.ok();
                if (ok)
                    CheckReply(engine, 0x72, 0);
                break;
            }
            case 2: {
                const auto r = access.readPv();
                ok = r.ok();
                if (ok) {
                    CheckReply(engine, 0x01, 5);
                    FUZZ_CHECK(r->replyFrame == engine.replyFrame(),
                               "the shown reply ends at its checksum");
                }
                break;
            }
            case 3: {
                // Several requests in a row, stopping at the first that fails.
                std::vector<float> values(in.ConsumeIntegralInRange<std::size_t>(1, 11));
                for (float& v : values)
                    v = in.ConsumeFloatingPoint<float>();
                requests = static_cast<int>((values.size() * 4 + 19) / 20);
                const auto r = access.writeReals(in.ConsumeIntegral<std::uint16_t>(), values);
                ok = r.ok();
                if (ok)
                    CheckReply(engine, 0x72, 0);
                break;
            }
            default: {
                const auto payload = in.ConsumeIntegralInRange<std::size_t>(0, 4);
                const auto r = access.command("Stop", payload);
                ok = r.ok();
                if (ok) {
                    CheckReply(engine, 0x73, payload);
                    FUZZ_CHECK(r->payload.size() + 2 == engine.replyData().size(),
                               "the command's payload is the reply's");
                }
                break;
            }
        }
        FUZZ_CHECK(!engine.busy(), "no transaction is left waiting");
        FUZZ_CHECK(engine.attemptsMade() <= link::kAttempts, "at most three attempts");
        FUZZ_CHECK(clock.now() - start <= requests * kWorstCase,
                   "a transaction ends within its worst case");
        if (Trace()) {
            std::fprintf(stderr, "op %d: %s, engine result %d, attempts %d, %lld us\n", kind,
                         ok ? "ok" : "failed", static_cast<int>(engine.lastResult()),
                         engine.attemptsMade(),
                         static_cast<long long>((clock.now() - start).count()));
        }
        // A request refused before sending leaves the engine's last verdict as it was.
        const bool sent = transport.writes != writesBefore;
        if (sent && engine.lastResult() == link::TransactionResult::Success) {
            const std::vector<link::Byte> frame = engine.replyFrame();
            FUZZ_CHECK(fuzz::ReadReply(frame, frame.size() - 1).has_value(),
                       "the engine never succeeds with a bad reply");
        }
        if (ok) {
            FUZZ_CHECK(engine.lastResult() == link::TransactionResult::Success,
                       "a success is the engine's success");
            FUZZ_CHECK(prompts.messages == messagesBefore, "a success shows no message");
        }
    }
    return 0;
}
