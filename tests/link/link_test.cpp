#include "link/link.h"

#include <gtest/gtest.h>

#include <QFile>
#include <tuple>

#include "link/transaction_record.h"
#include "support/fake_transport.h"
#include "support/link_calls.h"
#include "support/wire.h"

namespace veld::link {
namespace {

using namespace std::chrono_literals;
using veld::testing::FakeTransport;
using veld::testing::ReadKonst;
using veld::testing::ReplyFrame;

class LinkTest : public ::testing::Test, protected veld::testing::FakeLinkWorld {};

std::vector<Byte> WithBadChecksum(std::vector<Byte> frame) {
    frame.back() ^= 0xFF;
    return frame;
}

TEST_F(LinkTest, SuccessfulReadFollowsTheDocumentedTiming) {
    answer(ReplyFrame({0x00, 0x00, 0x0D, 0xE5}));
    std::vector<int> progress;
    link.onTransfer1 = [&](int v) { progress.push_back(v); };
    std::vector<bool> busy;
    link.onBusyChanged = [&](bool b) { busy.push_back(b); };
    bool linesUpAtWrite = false;
    clock.schedule(49ms, [&] { linesUpAtWrite = transport.dtr && transport.rts; });

    EXPECT_FALSE(ReadKonst(link, 257, 2));
    EXPECT_EQ(link.lastResult(), TransactionResult::Success);
    EXPECT_EQ(std::tie(link.replyData()[2], link.replyData()[3]), std::tuple(0x0D, 0xE5));
    ASSERT_EQ(transport.writes.size(), 1u);
    EXPECT_EQ(transport.writes[0], veld::testing::RequestWire("ReadEEPROM", 257, 2));
    EXPECT_TRUE(linesUpAtWrite);
    EXPECT_EQ(transport.writeTimes[0], 50ms);  // after DTR, RTS and the 50 ms settle
    EXPECT_EQ(clock.now(), 50ms + 20ms);       // reply arrived 20 ms after the write
    EXPECT_EQ(transport.opened, std::vector<std::string>{"COM1"});
    EXPECT_FALSE(transport.isOpen() || link.PortOpen);  // closed after every transaction
    EXPECT_TRUE(prompts.messages.isEmpty());
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(std::tie(progress.front(), progress.back()), std::tuple(0, 100));
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));

    EXPECT_TRUE(ReadKonst(link, 0, 2));  // silence: what the last reply gave stays
    EXPECT_EQ(std::tie(link.replyData()[2], link.replyData()[3]), std::tuple(0x0D, 0xE5));
}

// Each reply shape against what the engine makes of it: attempts, outcome and messages.
TEST_F(LinkTest, RepliesAreJudgedAsDocumented) {
    using R = TransactionResult;
    auto wrongAddress = ReplyFrame({0, 0, 1});
    wrongAddress[5] ^= 0x01;  // second address byte
    const auto bad = WithBadChecksum(ReplyFrame({0, 0, 1}));
    const QStringList none, noAnswer{kMsgNoAnswer};
    // clang-format off
    struct Case { std::vector<FakeTransport::Answer> answers; std::size_t writes;
                  TransactionResult result; QStringList messages; };
    // clang-format on
    const Case cases[] = {
        // Silence, then an answered retry; a wrong address is retried like silence.
        {{{std::nullopt}, {ReplyFrame({0, 0, 0x42})}}, 2, R::Success, none},
        {{{wrongAddress}, {wrongAddress}, {wrongAddress}}, 3, R::NoAnswer, noAnswer},
        // A wrong checksum fails at once and silently, also when decoded during the 1 ms pause
        // after the write.
        {{{bad}}, 1, R::BadChecksum, none},
        {{{bad, 0us}}, 1, R::BadChecksum, none},
        // The 1 ms pause and the 1000 ms wait end at the same instant as the reply.
        {{{ReplyFrame({0, 0}), 1001ms}}, 1, R::NoAnswer, noAnswer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        transport.writes.clear();
        prompts.messages.clear();
        transport.answers.assign(c.answers.begin(), c.answers.end());
        const bool failed = ReadKonst(link, 0, 1);
        EXPECT_EQ(failed, c.result != R::Success);
        ASSERT_EQ(transport.writes.size(), c.writes);
        EXPECT_EQ(link.lastResult(), c.result);
        EXPECT_EQ(prompts.messages, c.messages);
        EXPECT_EQ(link.lastMessage(), c.messages.value(0));
        EXPECT_FALSE(transport.isOpen());
        EXPECT_EQ(transport.writes.front(), transport.writes.back());
    }
}

TEST_F(LinkTest, PartialWriteIsNotAWriteFailure_theWholeRequestIsRetried) {
    transport.acceptBytes = 5;  // a request cut short goes unanswered
    EXPECT_TRUE(ReadKonst(link, 0, 1));
    EXPECT_EQ(transport.writes.size(), 3u);
    EXPECT_EQ(prompts.messages, QStringList{kMsgNoAnswer});

    transport.acceptBytes.reset();
    answer(ReplyFrame({0, 0, 7}));
    EXPECT_FALSE(ReadKonst(link, 0, 1));
    EXPECT_EQ(transport.writes.back(), veld::testing::RequestWire("ReadEEPROM", 0, 1));
}

TEST_F(LinkTest, OnlyAPortThatOpenedIsRemembered) {
    port.selectCom(3);
    transport.openFails = true;
    EXPECT_TRUE(ReadKonst(link, 0, 1));
    EXPECT_EQ(prompts.messages,
              QStringList{QStringLiteral("It is not possible initialize comm 4")});
    EXPECT_EQ(link.lastResult(), TransactionResult::CannotOpen);
    EXPECT_TRUE(transport.writes.empty() && !settings.contains(PortChoice::kComPortKey));
    EXPECT_EQ(clock.now(), 0ms);

    port.selectCom(5);
    transport.openFails = false;
    answer(ReplyFrame({0, 0}));
    EXPECT_FALSE(ReadKonst(link, 0, 1));
    EXPECT_EQ(settings.value(PortChoice::kComPortKey).toString(), QStringLiteral("Com6"));
    EXPECT_EQ(transport.opened, std::vector<std::string>{"COM6"});
}

TEST_F(LinkTest, FailedWriteLeavesThePortOpenForTheNextTransaction) {
    transport.writeFails = true;
    EXPECT_TRUE(ReadKonst(link, 0, 1));
    EXPECT_EQ(prompts.messages, QStringList{kMsgWriteFailed});
    EXPECT_EQ(link.lastResult(), TransactionResult::WriteFailed);
    EXPECT_TRUE(transport.isOpen() && link.PortOpen);

    transport.writeFails = false;
    answer(ReplyFrame({0, 0, 7}));
    EXPECT_FALSE(ReadKonst(link, 0, 1));
    EXPECT_EQ(transport.opened.size(), 1u);  // reused, not reopened

    // After a failed write, choosing a port makes the next transaction reopen.
    transport.writeFails = true;
    EXPECT_TRUE(ReadKonst(link, 0, 1));
    transport.writeFails = false;
    port.selectCom(1);
    link.SetComClick();
    answer(ReplyFrame({0, 0, 7}));
    EXPECT_FALSE(ReadKonst(link, 0, 1));
    EXPECT_EQ(transport.opened.back(), "COM2");
    EXPECT_FALSE(link.ReopenPort);
}

// One record per transaction, at its end: what went on the line, what came back, how it ended.
TEST_F(LinkTest, EachTransactionLeavesItsRecord) {
    std::vector<TransactionRecord> records;
    link.onTransaction = [&](const TransactionRecord& r) { records.push_back(r); };
    answer(ReplyFrame({0, 0x40}, 0x72));
    EXPECT_TRUE(access.writeReal(363, 0.5f));
    answer(std::nullopt);
    answer(ReplyFrame({0, 0, 0x0D, 0xE5}));
    EXPECT_TRUE(access.readBytes(257, 2));
    EXPECT_FALSE(access.readBytes(1568, 8));
    answer(WithBadChecksum(ReplyFrame({0, 0, 1})));
    EXPECT_FALSE(access.readBytes(0, 1));
    ASSERT_EQ(records.size(), 4u);

    const TransactionRecord& write = records[0];
    EXPECT_EQ(std::tie(write.started, write.duration, write.command, write.address, write.count),
              std::tuple(0ms, 70ms, Byte{0x72}, 363u, 4));
    EXPECT_EQ(write.data, (std::vector<Byte>{0x80, 0x00, 0x00, 0x00}));
    EXPECT_EQ(write.request, transport.writes[0]);
    EXPECT_EQ(write.reply, ReplyFrame({0, 0x40}, 0x72));
    EXPECT_EQ(std::tie(write.code, write.status, write.attempts), std::tuple(0, 0x40, 1));
    EXPECT_TRUE(write.error.isEmpty());

    const TransactionRecord& retried = records[1];
    EXPECT_EQ(std::tie(retried.started, retried.duration, retried.attempts),
              std::tuple(70ms, 50ms + 1201ms + 20ms, 2));
    EXPECT_EQ(retried.payload, (std::vector<Byte>{0x0D, 0xE5}));
    EXPECT_FALSE(retried.failed());

    const TransactionRecord& silent = records[2];
    EXPECT_EQ(std::tie(silent.duration, silent.attempts), std::tuple(50ms + 3 * 1201ms, 3));
    EXPECT_EQ(silent.result, TransactionResult::NoAnswer);
    EXPECT_EQ(silent.error, kMsgNoAnswer);
    EXPECT_TRUE(silent.reply.empty());
    EXPECT_FALSE(silent.code);
    EXPECT_EQ(std::tie(silent.address, silent.count), std::tuple(1568u, 8));

    // The engine shows nothing for a wrong checksum; the record names it and keeps no code.
    EXPECT_EQ(records[3].error, kMsgBadChecksum);
    EXPECT_FALSE(records[3].status);
    EXPECT_EQ(records[3].reply.size(), ReplyFrame({0, 0, 1}).size());
}

// Fast transfer: within an operation the port opens and settles once; each request still goes
// out after a purge and waits as documented. A failure or the operation's end closes the port.
TEST_F(LinkTest, FastTransferOpensThePortOncePerOperation) {
    link.setFastTransfer(true);
    answer(ReplyFrame({0, 0, 1}));
    EXPECT_FALSE(ReadKonst(link, 0, 1));
    EXPECT_FALSE(transport.isOpen());  // no operation: as without it
    {
        const HeldPort operation(link);
        for (int i = 0; i < 3; ++i) {
            answer(ReplyFrame({0, 0, 1}));
            EXPECT_FALSE(ReadKonst(link, 0, 1));
            EXPECT_TRUE(transport.isOpen());
        }
    }
    EXPECT_FALSE(transport.isOpen() || link.PortOpen);
    EXPECT_EQ(transport.opened.size(), 2u);
    ASSERT_EQ(transport.writeTimes.size(), 4u);
    // Only the first of the operation waits 50 ms; the next go out when the reply is in.
    EXPECT_EQ(transport.writeTimes[2] - transport.writeTimes[1], 20ms);
    EXPECT_EQ(transport.inputClears, 4);
    EXPECT_EQ(transport.writes[3], transport.writes[0]);

    // A failed transaction closes the port; the next one of the operation opens and settles.
    const HeldPort operation(link);
    EXPECT_TRUE(ReadKonst(link, 0, 1));
    EXPECT_EQ(link.attemptsMade(), 3);
    EXPECT_FALSE(transport.isOpen());
    answer(ReplyFrame({0, 0, 1}));
    const Micros start = clock.now();
    EXPECT_FALSE(ReadKonst(link, 0, 1));
    EXPECT_EQ(transport.writeTimes.back() - start, 50ms);
    EXPECT_EQ(transport.opened.size(), 4u);
}

// A port gone while a transaction waits ends the hold: the fault matrix's, with the fast transfer
// too. Gone between two transactions, it is opened afresh, as without the fast transfer.
TEST_F(LinkTest, FastTransfer_aPortGoneBetweenTwoTransactionsIsOpenedAfresh) {
    link.setFastTransfer(true);
    const HeldPort operation(link);
    answer(ReplyFrame({0, 0, 1}));
    EXPECT_FALSE(ReadKonst(link, 0, 1));
    transport.vanishAfter(0ms);
    clock.advance(1ms);
    answer(ReplyFrame({0, 0, 3}));
    EXPECT_FALSE(ReadKonst(link, 0, 1));
    EXPECT_EQ(transport.opened.size(), 2u);
    EXPECT_EQ(link.replyData()[2], 3);
}

using PortChoiceTest = LinkTest;

// A port for this run only is the session's and the port page's.
TEST_F(PortChoiceTest, OtherPortIsKeptApartFromTheComItems) {
    port.selectCom(2);
    port.recordOpened(settings);
    port.selectOther(QStringLiteral("/dev/ttyUSB0"));
    port.recordOpened(settings);
    EXPECT_EQ(settings.value(PortChoice::kComPortKey).toString(), QStringLiteral("Com3"));
    EXPECT_EQ(port.portName(), "/dev/ttyUSB0");
    EXPECT_EQ(port.numberText(), QStringLiteral("/dev/ttyUSB0"));

    PortChoice restored;
    restored.restore(settings);
    EXPECT_EQ(restored.otherPort(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(restored.comIndex(), 2);

    // Going back to a COM item forgets the other port.
    restored.selectCom(0);
    restored.recordOpened(settings);
    EXPECT_FALSE(settings.contains(PortChoice::kOtherPortKey));
    EXPECT_EQ(settings.value(PortChoice::kComPortKey).toString(), QStringLiteral("Com1"));
}

// Only the exact spelling of a COM item is recognised; a corrupt or unreadable store falls back
// to COM1.
TEST(PortChoiceStore, OnlyTheExactSpelling_aCorruptOrUnreadableStoreFallsBackToCom1) {
    // clang-format off
    struct Row { const char* what; QByteArray content; const char* port = "COM1"; };
    // clang-format on
    const Row rows[] = {
        {"Com6", "[General]\nComPort=Com6\n", "COM6"},
        {"Com8", "[General]\nComPort=Com8\n", "COM8"},
        {"COM3", "[General]\nComPort=COM3\n"},
        {"com3", "[General]\nComPort=com3\n"},
        {"Com9", "[General]\nComPort=Com9\n"},
        {"Com3 and a space", "[General]\nComPort=\"Com3 \"\n"},
        {"empty", "[General]\nComPort=\n"},
        {"binary garbage", QByteArray("\x00\xff\xfe[[[=\n\x01\x02", 10)},
        {"broken section, port still readable", "[General\nComPort=Com3\n"},
        {"other port as bytes", "[General]\nComPortDevice=@ByteArray(\\0\\xff)\n"},
        {"other port with a NUL", "[General]\nComPortDevice=/dev/\\0tty\n"},
        {"other port as a list", "[General]\nComPortDevice=a, b\n"},
        {"unknown stored type", "[General]\nComPortDevice=@Variant(\\0\\0\\0\\x7f\\0)\n"},
    };
    QTemporaryDir dir;
    int n = 0;
    for (const Row& row : rows) {
        // A file of its own each: the store caches what it has read by path.
        const QString path = dir.filePath(QStringLiteral("veld%1.ini").arg(++n));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(row.content);
        file.close();
        QSettings settings(path, QSettings::IniFormat);
        PortChoice port;
        port.selectOther(QStringLiteral("/dev/ttyUSB9"));
        port.restore(settings);
        EXPECT_EQ(port.portName(), row.port) << row.what;
    }
    // A folder where the file should be cannot be read.
    QSettings folder(dir.path(), QSettings::IniFormat);
    PortChoice port;
    port.restore(folder);
    EXPECT_EQ(port.portName(), "COM1");
}

}  // namespace
}  // namespace veld::link
