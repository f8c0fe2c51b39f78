#include "config/traffic_log.h"

#include <QJsonDocument>
#include <QJsonValue>
#include <algorithm>
#include <cmath>

#include "config/cp1250.h"
#include "config/file_write.h"
#include "config/messages.h"
#include "link/device_access.h"
#include "model/eeprom_names.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::config {

namespace {

constexpr link::Byte kReadEeprom = 0x71;
constexpr link::Byte kWriteEeprom = 0x72;
constexpr link::Byte kReadPv = 0x01;

double Milliseconds(link::Micros t) {
    return static_cast<double>(t.count()) / 1000.0;
}

QString Attempts(int n) {
    if (n == 1)
        return u"1 pokus"_s;
    return QString::number(n) + (n >= 2 && n <= 4 ? u" pokusy"_s : u" pokusů"_s);
}

std::string NoteText(std::span<const std::uint8_t> bytes) {
    return cp1250::Decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())))
        .toStdString();
}

QString Eeprom(std::uint32_t address, std::span<const link::Byte> bytes) {
    const std::string text =
        address <= 0xFFFF
            ? model::DescribeEeprom(static_cast<std::uint16_t>(address), bytes, NoteText)
            : std::string();
    return text.empty() ? HexText(bytes) : QString::fromStdString(text);
}

// Through the one save path of the program: the earlier file stays whole when a save fails;
// nullopt when written, else the cause.
std::optional<QString> WriteWhole(const QString& path, const QByteArray& bytes) {
    const FileWrite written = WriteFileAtomically(path, bytes);
    if (written.status == FileWrite::NotAFile)
        return kNotAFileReason;
    if (!written)
        return FileErrorText(written.error);
    return std::nullopt;
}

}  // namespace

QString HexText(std::span<const link::Byte> bytes) {
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                          static_cast<qsizetype>(bytes.size()))
                                   .toHex(' ')
                                   .toUpper());
}

QString TrafficCommand(const link::TransactionRecord& r) {
    return link::CommandName(r.command);
}

QString TrafficMeaning(const link::TransactionRecord& r) {
    if (!r.data.empty()) {
        if (r.command == kWriteEeprom && r.address)
            return Eeprom(*r.address, r.data);
        return HexText(r.data);
    }
    if (r.failed() || r.payload.empty())
        return {};
    if (r.command == kReadEeprom && r.address)
        return Eeprom(*r.address, r.payload);
    if (r.command == kReadPv) {
        const std::string pv = model::DescribeProcessValue(r.payload);
        if (!pv.empty())
            return QString::fromStdString(pv);
    }
    return HexText(r.payload);
}

bool IsTrafficFailure(const link::TransactionRecord& r) {
    return r.failed() || r.code.value_or(0) != 0 ||
           (r.replyCommand && *r.replyCommand != r.command);
}

QString TrafficLine(const link::TransactionRecord& r) {
    QString line =
        QString::number(Milliseconds(r.started) / 1000.0, 'f', 3) + u" s  "_s + TrafficCommand(r);
    if (r.address)
        line += u' ' + QString::number(*r.address);
    if (r.count && r.address)
        line += u" ("_s + QString::number(*r.count) + u" B)"_s;
    if (const QString meaning = TrafficMeaning(r); !meaning.isEmpty())
        line += (r.data.empty() ? u" → "_s : u" ← "_s) + meaning;
    QStringList outcome;
    if (r.failed())
        outcome << u"chyba: "_s + r.error.trimmed();
    if (r.replyCommand && *r.replyCommand != r.command)
        outcome << u"odpověď na "_s + link::CommandName(*r.replyCommand);
    if (r.code)
        outcome << u"kód "_s + QString::number(*r.code);
    if (r.status)
        outcome << u"stav 0x"_s + QString::number(*r.status, 16).toUpper().rightJustified(2, u'0');
    outcome << Attempts(r.attempts)
            << QString::number(std::lround(Milliseconds(r.duration))) + u" ms"_s;
    return line + u"  ["_s + outcome.join(u", "_s) + u']';
}

QJsonObject TrafficJson(const link::TransactionRecord& r) {
    const auto optional = [](const auto& v) {
        return v ? QJsonValue(static_cast<qint64>(*v)) : QJsonValue(QJsonValue::Null);
    };
    const QString meaning = TrafficMeaning(r);
    return {
        {u"t"_s, Milliseconds(r.started)},
        {u"cmd"_s, TrafficCommand(r)},
        {u"address"_s, optional(r.address)},
        {u"count"_s, optional(r.count)},
        {u"request"_s, HexText(r.request)},
        {u"reply"_s, HexText(r.reply)},
        {u"code"_s, optional(r.code)},
        {u"status"_s, optional(r.status)},
        {u"attempts"_s, r.attempts},
        {u"ms"_s, Milliseconds(r.duration)},
        {u"error"_s, r.failed() ? QJsonValue(r.error.trimmed()) : QJsonValue(QJsonValue::Null)},
        {u"meaning"_s, meaning.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(meaning)},
    };
}

QByteArray TrafficJsonLine(const link::TransactionRecord& r) {
    return QJsonDocument(TrafficJson(r)).toJson(QJsonDocument::Compact) + '\n';
}

bool TrafficFilter::matches(const link::TransactionRecord& r) const {
    if (!command.isEmpty() && TrafficCommand(r) != command)
        return false;
    if (address) {
        if (!r.address)
            return false;
        const std::uint64_t first = *r.address;
        const std::uint64_t end =
            first + static_cast<std::uint64_t>(std::max(r.count.value_or(1), 1));
        if (*address < first || *address >= end)
            return false;
    }
    return !failuresOnly || IsTrafficFailure(r);
}

void TrafficLog::add(link::TransactionRecord record) {
    if (capacity_ == 0)
        return;
    if (records_.size() == capacity_) {
        records_.pop_front();
        ++first_;
    }
    records_.push_back(std::move(record));
    if (changed)
        changed();
}

void TrafficLog::clear() {
    first_ += records_.size();
    records_.clear();
    if (changed)
        changed();
}

QByteArray TrafficLog::jsonLines() const {
    QByteArray bytes;
    for (const link::TransactionRecord& r : records_)
        bytes += TrafficJsonLine(r);
    return bytes;
}

std::optional<QString> TrafficLog::save(const QString& path) const {
    if (const auto reason = WriteWhole(path, jsonLines())) {
        return kMsgTrafficNotSaved.arg(path, *reason);
    }
    return std::nullopt;
}

Outcome saveTrafficLog(const TrafficLog& log, Prompts& prompts) {
    const auto path = prompts.saveFile({u"Uložit záznam"_s,
                                        u"Záznam provozu (*.jsonl)|*.jsonl|Všechny soubory|*.*"_s,
                                        QString(), u"jsonl"_s});
    if (!path || path->isEmpty())
        return Outcome::Declined;
    if (const auto message = log.save(*path)) {
        prompts.message(*message);
        return Outcome::Stopped;
    }
    return Outcome::Completed;
}

}  // namespace veld::config
