#pragma once

#include <QList>
#include <QString>
#include <istream>
#include <optional>
#include <ostream>

#include "common/prompts.h"

namespace veld::cli {

// The handlers' prompts on a terminal. Messages go to standard error. A question is answered
// Yes with --yes; otherwise it is asked on the terminal, and where there is none (a script, a
// pipe) it is answered No, so nothing irreversible happens unasked. The question and the answer
// taken are printed on standard error either way. File dialogs take the files the command line
// named, in order; there is no focus to move.
class TerminalPrompts final : public Prompts {
public:
    enum class Answers {
        Yes,       // --yes
        Terminal,  // ask; standard input is a terminal
        No,        // no terminal to ask on
    };

    TerminalPrompts(std::istream& in, std::ostream& err, Answers answers)
        : in_(in), err_(err), answers_(answers) {}

    void message(const QString& text) override;
    bool question(const QString& text) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    void focus(const QString& controlName) override;

    // The next file dialog chooses this file.
    void queueFile(const QString& path) { files_.append(path); }

    int messagesShown() const { return messages_; }
    // Focus requests come from a failed entry check: the value typed was refused.
    int focusRequests() const { return focusRequests_; }

private:
    std::optional<QString> nextFile(const FileDialogRequest& request);

    std::istream& in_;
    std::ostream& err_;
    Answers answers_;
    QList<QString> files_;
    int messages_ = 0;
    int focusRequests_ = 0;
};

}  // namespace veld::cli
