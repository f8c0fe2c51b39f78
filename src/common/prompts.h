#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace veld {

// What a file dialog is asked to show; the window maps it to QFileDialog, tests to a script.
struct FileDialogRequest {
    QString title;
    QString filter;  // "*.txt|*.txt|*.*|*.*" style, pairs of caption and pattern
    QString initialDirectory;
    QString defaultSuffix;  // save dialogs only
    bool folder = false;    // openFile() chooses a folder, not a file
};

// Every question a handler puts to the user goes through here, so that handlers never open a
// window themselves: the window answers with dialogs, the command line from its options, tests
// from a script that records what was asked.
class Prompts {
public:
    virtual ~Prompts() = default;

    // A modal box with the text and one OK button.
    virtual void message(const QString& text) = 0;
    // A modal Yes/No box; true for Yes.
    virtual bool question(const QString& text) = 0;
    // std::nullopt when the user cancels.
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    // Give the keyboard focus to the control of that name (e.g. "Pocatek").
    virtual void focus(const QString& controlName) = 0;
};

// Records everything and answers from queues; for tests and for batch use.
class ScriptedPrompts : public Prompts {
public:
    QStringList messages;
    QStringList questions;
    QStringList focused;
    QList<bool> answers;  // consumed by question(); empty means Yes
    QList<std::optional<QString>>
        fileAnswers;  // consumed by openFile()/saveFile(); empty means cancel
    QList<FileDialogRequest> fileRequests;

    void message(const QString& text) override { messages.append(text); }
    bool question(const QString& text) override {
        questions.append(text);
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    std::optional<QString> openFile(const FileDialogRequest& request) override {
        fileRequests.append(request);
        return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.takeFirst();
    }
    std::optional<QString> saveFile(const FileDialogRequest& request) override {
        return openFile(request);
    }
    void focus(const QString& controlName) override { focused.append(controlName); }
};

}  // namespace veld
