#include "config/traffic_log.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include "link/dev_float.h"

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace veld::config {
namespace {

using link::Byte;
using link::TransactionRecord;

TransactionRecord Write(std::uint32_t address, std::vector<Byte> data) {
    TransactionRecord r;
    r.started = 1'234'567us;
    r.duration = 67'600us;
    r.command = 0x72;
    r.address = address;
    r.count = static_cast<int>(data.size());
    r.data = std::move(data);
    r.request = {0xFF, 0x82};
    r.reply = {0xFF, 0x86};
    r.code = 0;
    r.status = 0x40;
    r.replyCommand = 0x72;
    r.attempts = 1;
    return r;
}

TransactionRecord FailedRead(std::uint32_t address, int count) {
    TransactionRecord r;
    r.command = 0x71;
    r.address = address;
    r.count = count;
    r.attempts = 3;
    r.duration = 3'653ms;
    r.result = link::TransactionResult::NoAnswer;
    r.error = link::kMsgNoAnswer;
    return r;
}

TEST(TrafficLog, linesAndJsonSayWhatEachTransactionMeant) {
    const auto half = link::EncodeDevFloat(0.5f);
    const TransactionRecord write = Write(363, {half.begin(), half.end()});
    EXPECT_EQ(
        TrafficLine(write),
        u"1.235 s  WriteEEPROM 363 (4 B) ← tlumení 0.5 s  [kód 0, stav 0x40, 1 pokus, 68 ms]"_s);
    EXPECT_EQ(TrafficLine(FailedRead(1568, 8)),
              u"0.000 s  ReadEEPROM 1568 (8 B)  [chyba: No answer from transmitter !, 3 pokusy, "
              u"3653 ms]"_s);
    TransactionRecord read = FailedRead(2000, 2);
    read.result = link::TransactionResult::Success;
    read.payload = {0xAB, 0xCD};
    read.code = 3;
    EXPECT_EQ(TrafficMeaning(read), u"AB CD"_s) << "an address the map does not know";
    EXPECT_TRUE(IsTrafficFailure(read)) << "response code 3";

    EXPECT_EQ(QJsonDocument::fromJson(TrafficJsonLine(write)).object(),
              QJsonDocument::fromJson(R"({"t":1234.567,"cmd":"WriteEEPROM","address":363,
                  "count":4,"request":"FF 82","reply":"FF 86","code":0,"status":64,"attempts":1,
                  "ms":67.6,"error":null,"meaning":"tlumení 0.5 s"})")
                  .object());
    const QJsonObject failed = TrafficJson(FailedRead(1568, 8));
    EXPECT_EQ(failed[u"error"_s].toString(), link::kMsgNoAnswer.trimmed());
    EXPECT_TRUE(failed[u"code"_s].isNull());
    EXPECT_TRUE(failed[u"meaning"_s].isNull());
    EXPECT_TRUE(TrafficJsonLine(write).endsWith("}\n"));
}

TEST(TrafficLog, filterByCommandAddressAndFailure) {
    const TransactionRecord write = Write(360, {1, 2, 3, 4});
    const TransactionRecord failed = FailedRead(1568, 8);
    TransactionRecord pv;
    pv.command = 0x01;
    const auto passes = [](const TrafficFilter& f, const TransactionRecord& r) {
        return f.matches(r);
    };
    EXPECT_TRUE(passes({}, pv));
    EXPECT_TRUE(passes({u"WriteEEPROM"_s, {}, false}, write));
    EXPECT_FALSE(passes({u"ReadEEPROM"_s, {}, false}, write));
    EXPECT_TRUE(passes({{}, 363u, false}, write)) << "360..363 covers 363";
    EXPECT_FALSE(passes({{}, 364u, false}, write));
    EXPECT_FALSE(passes({{}, 0u, false}, pv)) << "no address at all";
    EXPECT_FALSE(passes({{}, {}, true}, write));
    EXPECT_TRUE(passes({{}, 1575u, true}, failed));
}

TEST(TrafficLog, keepsTheLastTenThousandAndSavesThemAsJsonLines) {
    TrafficLog log;
    int changes = 0;
    log.changed = [&] { ++changes; };
    for (int i = 0; i < 10'005; ++i) {
        TransactionRecord r = FailedRead(static_cast<std::uint32_t>(i), 1);
        log.add(std::move(r));
    }
    EXPECT_EQ(changes, 10'005);
    ASSERT_EQ(log.size(), TrafficLog::kCapacity);
    EXPECT_EQ(TrafficLog::kCapacity, 10'000u);
    EXPECT_EQ(log.firstId(), 5u);
    EXPECT_EQ(log.at(5).address, 5u);
    EXPECT_EQ(log.at(log.endId() - 1).address, 10'004u);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"provoz.jsonl"_s);
    EXPECT_FALSE(log.save(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 10'001);  // the last line feed leaves an empty piece
    EXPECT_EQ(QJsonDocument::fromJson(lines.front()).object()[u"address"_s].toInt(), 5);

    const auto message = log.save(dir.filePath(u"chybí/provoz.jsonl"_s));
    ASSERT_TRUE(message);
    EXPECT_TRUE(message->contains(u"chybí/provoz.jsonl"_s));

    log.clear();
    EXPECT_EQ(log.size(), 0u);
    EXPECT_EQ(log.firstId(), 10'005u);
}

}  // namespace
}  // namespace veld::config
