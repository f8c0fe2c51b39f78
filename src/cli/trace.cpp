#include "cli/trace.h"

#include "cli/messages.h"
#include "config/traffic_log.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::cli {

bool Trace::openFile(const std::string& path) {
    file_.setFileName(QString::fromStdString(path));
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
        err_ << kMsgTraceCannotOpen.arg(file_.fileName(), file_.errorString()).toStdString()
             << '\n';
        return false;
    }
    return true;
}

void Trace::attach(link::Link& link) {
    if (active())
        link.onTransaction = [this](const link::TransactionRecord& r) { write(r); };
}

void Trace::write(const link::TransactionRecord& record) {
    if (lines_)
        err_ << config::TrafficLine(record).toStdString() << '\n' << std::flush;
    if (!file_.isOpen() || writeFailed_)
        return;
    const QByteArray line = config::TrafficJsonLine(record);
    // Each record reaches the file before the next transaction starts.
    if (file_.write(line) != line.size() || !file_.flush()) {
        writeFailed_ = true;
        err_ << kMsgTraceWriteFailed.arg(file_.fileName(), file_.errorString()).toStdString()
             << '\n';
    }
}

}  // namespace veld::cli
