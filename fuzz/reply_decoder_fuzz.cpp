// The reply decoder and its receive ring on arbitrary bytes, delivered in chunks as a port
// delivers them, with restarts in between as the engine makes them before each request.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "fuzz_check.h"
#include "link/reply_decoder.h"

using namespace veld;

namespace {

void CheckState(const link::ReplyState& s, const link::ReplyDecoder& decoder) {
    FUZZ_CHECK(s.RxCount <= link::kBufferSize, "RxCount within the frame buffer");
    FUZZ_CHECK(s.ReplyLength < link::kBufferSize, "ReplyLength within the frame buffer");
    FUZZ_CHECK(s.ReplyByteCount <= 49, "byte count at most 49");
    if (!s.ReplyComplete)
        return;
    const auto view = fuzz::ReadReply(s.RxFrame, s.ReplyLength);
    if (decoder.checksumWrong()) {
        FUZZ_CHECK(s.ReplyError, "a wrong checksum makes the reply an error");
        FUZZ_CHECK(!view, "a reply called wrong has a wrong checksum");
        return;
    }
    FUZZ_CHECK(view.has_value(), "a complete reply with a right checksum reads as one");
    FUZZ_CHECK(!s.ReplyError, "a complete, right reply is no error");
    FUZZ_CHECK(view->command == decoder.replyCommand(), "the command is the frame's");
    FUZZ_CHECK(view->byteCount == s.ReplyByteCount, "the byte count is the frame's");
    FUZZ_CHECK(std::equal(s.RxData.begin(), s.RxData.begin() + view->byteCount,
                          s.RxFrame.begin() + static_cast<std::ptrdiff_t>(view->dataStart)),
               "RxData holds the frame's data bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    link::ReplyState state;
    link::ReplyDecoder decoder(state);
    link::ReceiveRing ring(state);
    ring.Clear();
    decoder.Restart();
    while (in.remaining_bytes() > 0) {
        const auto op = in.ConsumeIntegral<std::uint8_t>();
        if (op == 0) {
            // What the engine does before each request.
            ring.Clear();
            decoder.Restart();
            continue;
        }
        // A chunk as the port hands it on: into the ring first, then decoded, as the engine does.
        const std::size_t length = op < 0xF0 ? op % 64 : std::size_t{op} * 2;
        const auto chunk = in.ConsumeBytes<std::uint8_t>(length);
        for (const std::uint8_t b : chunk)
            ring.PutChar(b);
        for (std::size_t i = 0; i < chunk.size() && !ring.IsEmpty(); ++i) {
            decoder.ParseReplyByte(ring.GetChar());
            CheckState(state, decoder);
        }
    }
    return 0;
}
