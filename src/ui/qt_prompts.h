#pragma once

#include "common/prompts.h"

#include <QString>
#include <functional>

class QSettings;
class QWidget;

namespace veld::ui {

// The file dialog filter for a "caption|pattern|caption|pattern" filter: "*.txt (*.txt);;*.* (*)".
// "*.*" becomes "*" so that files without an extension are offered too.
QString QtFileFilter(const QString& pipeFilter);

// Answers the handlers' questions with modal Qt dialogs: a box with one "OK" button, a box with
// "Ano" and "Ne" (both as wide as their text), and the open and save file dialogs, each of which
// starts in the folder last used in it (remembered in the program's settings, see setSettings).
// Focus requests are the window's business (see WindowPrompts), so `focus` does nothing here.
class QtPrompts final : public Prompts {
public:
    explicit QtPrompts(QString boxTitle) : title_(std::move(boxTitle)) {}

    // Where the folders are remembered: the session's store, which is checked before use.
    // Without one, the application's QSettings.
    void setSettings(QSettings* settings) { settings_ = settings; }

    void message(const QString& text) override;
    bool question(const QString& text) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    void focus(const QString&) override {}

private:
    QString title_;
    QSettings* settings_ = nullptr;
};

// The prompts the model talks to: every question goes to the inner prompts (the Qt dialogs, or a
// script in tests), and a focus request is also carried out on the window's widgets once the
// running handler has finished.
class WindowPrompts final : public Prompts {
public:
    explicit WindowPrompts(Prompts& inner) : inner_(inner) {}

    void setFocusHandler(std::function<void(const QString&)> handler) {
        focusHandler_ = std::move(handler);
    }

    void message(const QString& text) override { inner_.message(text); }
    bool question(const QString& text) override { return inner_.question(text); }
    std::optional<QString> openFile(const FileDialogRequest& request) override {
        return inner_.openFile(request);
    }
    std::optional<QString> saveFile(const FileDialogRequest& request) override {
        return inner_.saveFile(request);
    }
    void focus(const QString& controlName) override {
        inner_.focus(controlName);
        if (focusHandler_)
            focusHandler_(controlName);
    }

private:
    Prompts& inner_;
    std::function<void(const QString&)> focusHandler_;
};

}  // namespace veld::ui
