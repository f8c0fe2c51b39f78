#pragma once

#include <QFile>
#include <ostream>
#include <string>

#include "link/link.h"

namespace veld::cli {

// The global options --trace and --trace-file: each transaction as one line on standard error,
// as one JSON object appended to a file, or both, as it ends.
class Trace {
public:
    explicit Trace(std::ostream& err) : err_(err) {}

    void showLines() { lines_ = true; }
    // Opens the file for appending; false (with a message on standard error) when it cannot be.
    bool openFile(const std::string& path);
    bool active() const { return lines_ || file_.isOpen(); }
    // The link reports to this trace from now on (it must not outlive the trace).
    void attach(link::Link& link);

private:
    void write(const link::TransactionRecord& record);

    std::ostream& err_;
    bool lines_ = false;
    QFile file_;
    bool writeFailed_ = false;
};

}  // namespace veld::cli
