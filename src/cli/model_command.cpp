#include "cli/model_command.h"

#include "session/session.h"

namespace veld::cli {

ModelDriver::ModelDriver(Context& context) : context_(context), model_(context.session().model()) {}

config::Control* ModelDriver::usable(const QString& controlName) {
    config::Control* control = model_.form.find(controlName);
    if (!control)
        control = model_.dialog.find(controlName);
    if (!control)
        control = model_.sensorDialog.find(controlName);
    if (!control) {
        context_.err() << "no control '" << controlName.toStdString() << "'\n";
        return nullptr;
    }
    if (!model_.takesInput(*control)) {
        context_.err() << "'" << controlName.toStdString()
                       << "' takes no input now (hidden or disabled in the window)\n";
        return nullptr;
    }
    return control;
}

bool ModelDriver::enter(const QString& controlName, const QString& text) {
    config::Control* control = usable(controlName);
    if (!control)
        return false;
    const int refusals = context_.prompts().focusRequests();
    model_.userEdited(*control, text);
    model_.userLeft(*control);
    // An entry check that refuses a value sends the focus back to it.
    return context_.prompts().focusRequests() == refusals;
}

bool ModelDriver::choose(const QString& controlName, const QString& item) {
    config::Control* control = usable(controlName);
    if (!control)
        return false;
    QStringList items;
    if (const auto* combo = dynamic_cast<const config::ComboBox*>(control))
        items = combo->items;
    else if (const auto* group = dynamic_cast<const config::RadioGroup*>(control))
        items = group->items;
    else if (const auto* list = dynamic_cast<const config::ListBox*>(control))
        items = list->items;
    const auto index = items.indexOf(item);
    if (index < 0) {
        context_.err() << "'" << controlName.toStdString() << "' has no item '"
                       << item.toStdString()
                       << "'; it has: " << items.join(QStringLiteral(", ")).toStdString() << '\n';
        return false;
    }
    model_.userSelected(*control, static_cast<int>(index));
    return true;
}

bool ModelDriver::tick(const QString& controlName, bool checked) {
    config::Control* control = usable(controlName);
    auto* box = dynamic_cast<config::CheckBox*>(control);
    if (control && !box)
        context_.err() << "'" << controlName.toStdString() << "' is no check box\n";
    if (!box)
        return false;
    model_.userToggled(*box, checked);
    return true;
}

config::Outcome ModelDriver::click(const QString& controlName) {
    config::Control* control = usable(controlName);
    if (!control)
        return config::Outcome::Stopped;
    model_.userClicked(*control);
    return model_.lastOutcome().value_or(config::Outcome::Completed);
}

int ModelCommand::execute(const std::vector<std::string>& args, Context& context) {
    ModelDriver driver(context);
    return run(args, driver, context);
}

}  // namespace veld::cli
