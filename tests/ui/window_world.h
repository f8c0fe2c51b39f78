#pragma once

// What the window tests share: a window on a fresh session, a user who answers message boxes,
// a check that every widget shows its control, and point files.

#include "config/main_window_model.h"
#include "support/program.h"
#include "ui/main_window.h"
#include "ui/qt_prompts.h"

#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <vector>

namespace veld::ui::test {

using namespace Qt::Literals::StringLiterals;

// The window's prompts, made before the program that talks to them.
struct WithWindowPrompts {
    explicit WithWindowPrompts(Prompts& inner) : windowPrompts(inner) {}
    WindowPrompts windowPrompts;
};

// A window on a fresh program, as the program builds it, with the prompts under test. With
// `onSimulator` it talks to the built-in simulator in virtual time, so each click runs to its end;
// otherwise it runs on the real clock and the port the (empty) settings remember.
struct World : WithWindowPrompts, testing::Program {
    explicit World(Prompts& inner, bool onSimulator = false)
        : WithWindowPrompts(inner),
          Program(
              onSimulator
                  ? Options{.prompts = &windowPrompts}
                  : Options{.port = std::nullopt, .virtualTime = false, .prompts = &windowPrompts}),
          window(model, windowPrompts) {}

    template <class W>
    W* find(const QString& name) {
        return window.findChild<W*>(name);
    }
    bool show() {
        window.fitOnScreen();
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    // Picks a list item the way the list reports a choice made in its drop-down.
    void choose(const QString& listName, const QString& item) {
        auto* list = find<QComboBox>(listName);
        const int index = list->findText(item);
        QVERIFY2(index >= 0, qPrintable(item));
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    // Gives the field the focus as a click does and types over what it holds.
    void typeInto(QWidget* field, const QString& text) {
        field->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(field->hasFocus());
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            edit->selectAll();
        QTest::keyClicks(field, text);
    }

    config::MainWindowModel& model = m();
    MainWindow window;
};

// The first control whose widget does not show what the control holds; empty when all agree.
inline QString firstMismatch(World& world) {
    using config::ControlKind;
    std::vector<config::Control*> controls = world.model.form.controls();
    for (config::Control* c : world.model.dialog.controls())
        controls.push_back(c);
// Returns from the check with the control's name and `what` when `shown` is not `held`.
#define VELD_SHOWS(shown, held, what) \
    if ((shown) != (held))            \
    return c->name + u": " what ""_s
    for (config::Control* c : controls) {
        const QList<QWidget*> found = world.window.findChildren<QWidget*>(c->name);
        if (found.size() != 1)
            return c->name + u": %1 widgets"_s.arg(found.size());
        QWidget* w = found.first();
        if (c->kind == ControlKind::TabSheet) {
            const int index = world.window.pageIndex(*c);
            VELD_SHOWS(world.window.pages().tabText(index),
                       static_cast<config::TabSheet*>(c)->caption, "caption");
            VELD_SHOWS(world.window.pages().isTabVisible(index), c->visible, "visible");
            continue;
        }
        VELD_SHOWS(!w->isHidden(), c->visible, "visible");
        VELD_SHOWS(w->isEnabled(), c->enabled, "enabled");
        switch (c->kind) {
            case ControlKind::Label:
                VELD_SHOWS(static_cast<QLabel*>(w)->text(), static_cast<config::Label*>(c)->caption,
                           "caption");
                break;
            case ControlKind::Button:
                VELD_SHOWS(static_cast<QPushButton*>(w)->text(),
                           static_cast<config::Button*>(c)->caption, "caption");
                break;
            case ControlKind::CheckBox:
                VELD_SHOWS(static_cast<QCheckBox*>(w)->isChecked(),
                           static_cast<config::CheckBox*>(c)->checked, "checked");
                break;
            case ControlKind::Edit:
            case ControlKind::MaskedEdit:
                VELD_SHOWS(static_cast<QLineEdit*>(w)->text(),
                           static_cast<config::Edit*>(c)->text(), "text");
                break;
            case ControlKind::ComboBox: {
                auto* list = static_cast<QComboBox*>(w);
                QStringList items;
                for (int i = 0; i < list->count(); ++i)
                    items.append(list->itemText(i));
                VELD_SHOWS(list->currentText(), static_cast<config::ComboBox*>(c)->text, "text");
                VELD_SHOWS(items, static_cast<config::ComboBox*>(c)->items, "items");
                VELD_SHOWS(list->isEditable(), true, "not editable");
                break;
            }
            case ControlKind::RadioGroup: {
                auto* box = static_cast<QGroupBox*>(w);
                VELD_SHOWS(box->title(), static_cast<config::RadioGroup*>(c)->caption, "caption");
                VELD_SHOWS(box->findChild<QButtonGroup*>()->checkedId(),
                           static_cast<config::RadioGroup*>(c)->itemIndex, "item");
                break;
            }
            case ControlKind::ListBox: {
                auto* list = static_cast<QListWidget*>(w);
                VELD_SHOWS(list->count(), static_cast<config::ListBox*>(c)->items.size(), "items");
                VELD_SHOWS(list->currentRow(), static_cast<config::ListBox*>(c)->itemIndex,
                           "items");
                break;
            }
            case ControlKind::ProgressBar:
                VELD_SHOWS(static_cast<QProgressBar*>(w)->value(),
                           static_cast<config::ProgressBar*>(c)->position, "position");
                break;
            case ControlKind::StringGrid: {
                auto* grid = static_cast<config::StringGrid*>(c);
                auto* table = static_cast<QTableWidget*>(w);
                for (int row = 1; row < grid->rowCount(); ++row)
                    for (int column = 0; column < grid->columnCount(); ++column) {
                        const QTableWidgetItem* item = table->item(row - 1, column);
                        VELD_SHOWS(item ? item->text() : QString(), grid->cell(column, row),
                                   "cell");
                    }
                break;
            }
            default:
                break;
        }
    }
#undef VELD_SHOWS
    return {};
}

// Answers every message box as it opens, as a user would: notes its text and buttons and
// presses the button with the given caption. `seen`, when set, looks at each box first.
class BoxAnswerer {
public:
    explicit BoxAnswerer(QString press, std::function<void(QMessageBox&)> seen = {})
        : press_(std::move(press)), seen_(std::move(seen)) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start();
    }
    QStringList texts;
    QList<QStringList> buttons;

private:
    void answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        if (seen_)
            seen_(*box);
        texts.append(box->text());
        QStringList captions;
        QAbstractButton* target = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            captions.append(b->text());
            if (b->text() == press_)
                target = b;
        }
        captions.sort();
        buttons.append(captions);
        (target ? target : box->buttons().constFirst())->click();
    }

    QString press_;
    std::function<void(QMessageBox&)> seen_;
    QTimer timer_;
};

// Layout requests travel up one level per pass of the event loop.
inline void settleLayouts() {
    for (int pass = 0; pass < 4; ++pass)
        QCoreApplication::processEvents();
}

// A point file of `count` points (x, 10 x) in the folder; returns its path.
inline QString writePoints(const QTemporaryDir& dir, const QString& name, int count) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    for (int i = 0; i < count; ++i)
        file.write(QByteArray::number(i) + ' ' + QByteArray::number(10 * i) + '\n');
    return path;
}

}  // namespace veld::ui::test
