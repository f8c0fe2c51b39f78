#include "cli/terminal_prompts.h"

#include <string>

namespace veld::cli {

namespace {

// "a", "ano", "y", "yes" or "n", "ne", "no", in any case; nullopt for anything else.
std::optional<bool> ReadAnswer(const std::string& line) {
    const QString word = QString::fromUtf8(line).trimmed().toLower();
    for (const char* yes : {"a", "ano", "y", "yes"})
        if (word == QLatin1StringView(yes))
            return true;
    for (const char* no : {"n", "ne", "no"})
        if (word == QLatin1StringView(no))
            return false;
    return std::nullopt;
}

const char* Said(bool yes) {
    return yes ? "ano" : "ne";
}

}  // namespace

void TerminalPrompts::message(const QString& text) {
    ++messages_;
    err_ << text.toStdString() << '\n' << std::flush;
}

bool TerminalPrompts::question(const QString& text) {
    err_ << text.toStdString() << " [a/n] ";
    switch (answers_) {
        case Answers::Yes:
            err_ << Said(true) << " (--yes)\n" << std::flush;
            return true;
        case Answers::No:
            err_ << Said(false) << " (no terminal to ask on; --yes answers Yes)\n" << std::flush;
            return false;
        case Answers::Terminal:
            break;
    }
    std::string line;
    while (true) {
        err_ << std::flush;
        if (!std::getline(in_, line)) {
            err_ << '\n' << Said(false) << " (end of input)\n" << std::flush;
            return false;
        }
        if (const auto answer = ReadAnswer(line)) {
            err_ << Said(*answer) << '\n' << std::flush;
            return *answer;
        }
        err_ << "a (ano) / n (ne)? ";
    }
}

std::optional<QString> TerminalPrompts::nextFile(const FileDialogRequest& request) {
    if (files_.isEmpty()) {
        err_ << request.title.toStdString() << ": no file named on the command line\n";
        return std::nullopt;
    }
    return files_.takeFirst();
}

std::optional<QString> TerminalPrompts::openFile(const FileDialogRequest& request) {
    return nextFile(request);
}

std::optional<QString> TerminalPrompts::saveFile(const FileDialogRequest& request) {
    return nextFile(request);
}

void TerminalPrompts::focus(const QString&) {
    ++focusRequests_;
}

}  // namespace veld::cli
