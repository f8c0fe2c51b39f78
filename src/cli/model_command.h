#pragma once

#include <QString>

#include "cli/command.h"
#include "config/main_window_model.h"
#include "config/outcome.h"

namespace veld::cli {

// Drives the presentation model by control names, as a user of the window would: types and
// leaves, picks, ticks, clicks. Whatever the command line proves this way, the window does too.
// A step the window would not take (no such control, a control that takes no input now, a value
// its entry check refused) is reported on the error stream and fails.
class ModelDriver {
public:
    explicit ModelDriver(Context& context);

    config::MainWindowModel& model() { return model_; }

    // Types the whole text into the edit or list and leaves it.
    bool enter(const QString& controlName, const QString& text);
    // Picks the item with this text in a list, radio group or list box.
    bool choose(const QString& controlName, const QString& item);
    bool tick(const QString& controlName, bool checked);
    // Clicks; the outcome of the handler (Completed for one that reports none).
    config::Outcome click(const QString& controlName);

private:
    config::Control* usable(const QString& controlName);

    Context& context_;
    config::MainWindowModel& model_;
};

// A command that drives the model: one small class per command, with its arguments parsed in
// run(). For example, a command that reads the user note:
//
//     class NoteCommand final : public ModelCommand {
//         std::string name() const override { return "note"; }
//         ...
//         int run(const std::vector<std::string>& args, ModelDriver& driver,
//                 Context& context) override {
//             if (args != std::vector<std::string>{"read"})
//                 return usageError(context, "note takes read");
//             const int exit = ExitCodeOf(driver.click(u"Prec_Pozn"_s));
//             if (exit == kSuccess)
//                 context.out() << driver.model().form.EditUzPozn.text().toStdString() << '\n';
//             return exit;
//         }
//     };
//
// and one line in MakeCommands().
class ModelCommand : public Command {
public:
    int execute(const std::vector<std::string>& args, Context& context) final;

protected:
    virtual int run(const std::vector<std::string>& args, ModelDriver& driver,
                    Context& context) = 0;
};

}  // namespace veld::cli
