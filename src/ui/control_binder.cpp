#include "ui/control_binder.h"

#include "ui/logos.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
using veld::config::Control;
using veld::config::ControlKind;

namespace veld::ui {
namespace {

constexpr int kUnlimitedLength = 32767;  // QLineEdit's own default
const char* const kPictureSource = "veldPictureSource";

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

QStringList itemsOf(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->item(i)->text());
    return items;
}

// A page of the page control: its controls scroll when the window is smaller than they need (a
// small screen, a large scale factor), and otherwise lie exactly as they would without it.
class PageArea final : public QScrollArea {
public:
    PageArea() {
        setWidgetResizable(true);
        setFrameShape(QFrame::NoFrame);
        setFocusPolicy(Qt::NoFocus);
        auto* body = new QWidget;
        setWidget(body);
        // The page control draws the page's background, as for a page without scrolling.
        body->setAutoFillBackground(false);
        viewport()->setAutoFillBackground(false);
    }
    // The whole page, not the few lines a scroll area asks for by default: the window opens as
    // large as its pages need where the screen has room.
    QSize sizeHint() const override {
        const QWidget* body = widget();
        const int frame = 2 * frameWidth();
        return body->sizeHint().expandedTo(body->minimumSizeHint()) + QSize(frame, frame);
    }
};

QTabWidget* tabWidgetOf(QWidget* page) {
    for (QWidget* p = page->parentWidget(); p; p = p->parentWidget())
        if (auto* tabs = qobject_cast<QTabWidget*>(p))
            return tabs;
    return nullptr;
}

void syncRadioGroup(const config::RadioGroup& group, QGroupBox* box) {
    if (box->title() != group.caption)
        box->setTitle(group.caption);
    auto* buttons = box->findChild<QButtonGroup*>();
    QStringList shown;
    for (QAbstractButton* b : buttons->buttons())
        shown.append(b->text());
    if (shown != group.items) {
        for (QAbstractButton* b : buttons->buttons()) {
            buttons->removeButton(b);
            delete b;
        }
        for (int i = 0; i < group.items.size(); ++i) {
            auto* radio = new QRadioButton(group.items[i], box);
            buttons->addButton(radio, i);
            box->layout()->addWidget(radio);
        }
    }
    if (QAbstractButton* b = buttons->button(group.itemIndex)) {
        if (!b->isChecked())
            b->setChecked(true);
    } else if (buttons->checkedButton()) {
        // No item selected: an exclusive group cannot clear itself.
        buttons->setExclusive(false);
        buttons->checkedButton()->setChecked(false);
        buttons->setExclusive(true);
    }
}

void syncComboBox(const config::ComboBox& control, QComboBox* combo) {
    if (itemsOf(combo) != control.items) {
        combo->clear();
        combo->addItems(control.items);
    }
    combo->setMaxVisibleItems(control.dropDownCount);
    // Equal text is left alone so that a completion's selection survives the re-sync.
    if (combo->currentText() != control.text) {
        const int index = control.items.indexOf(control.text);
        combo->setCurrentIndex(index);
        if (index < 0)
            combo->setEditText(control.text);
    }
}

void syncGrid(const config::StringGrid& grid, QTableWidget* table) {
    const int fixed = std::clamp(grid.fixedRows, 0, grid.rowCount());
    if (table->columnCount() != grid.columnCount())
        table->setColumnCount(grid.columnCount());
    if (table->rowCount() != grid.rowCount() - fixed)
        table->setRowCount(grid.rowCount() - fixed);
    for (int c = 0; c < grid.columnCount(); ++c) {
        const QString heading = fixed > 0 ? grid.cell(c, 0) : QString();
        QTableWidgetItem* header = table->horizontalHeaderItem(c);
        if (!header)
            table->setHorizontalHeaderItem(c, new QTableWidgetItem(heading));
        else if (header->text() != heading)
            header->setText(heading);
    }
    for (int r = 0; r < table->rowCount(); ++r) {
        for (int c = 0; c < grid.columnCount(); ++c) {
            const QString text = grid.cell(c, r + fixed);
            QTableWidgetItem* item = table->item(r, c);
            if (!item) {
                if (text.isEmpty())
                    continue;
                item = new QTableWidgetItem;
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                table->setItem(r, c, item);
            }
            if (item->text() != text)
                item->setText(text);
        }
    }
}

}  // namespace

ControlBinder::ControlBinder(config::MainWindowModel& model, QObject* parent)
    : QObject(parent), model_(model) {}

ControlBinder::~ControlBinder() {
    for (const Binding& b : bindings_)
        b.widget->removeEventFilter(this);
}

QWidget* ControlBinder::widgetOf(const Control& control) const {
    return widgets_.value(&control);
}

QWidget* ControlBinder::widgetNamed(const QString& controlName) const {
    return byName_.value(controlName);
}

QWidget* ControlBinder::bind(Control& control) {
    if (QWidget* existing = widgetOf(control))
        return existing;
    QWidget* w = create(control);
    w->setObjectName(control.name);
    w->installEventFilter(this);
    bindings_.push_back({&control, w});
    widgets_.insert(&control, w);
    controls_.insert(w, &control);
    byName_.insert(control.name, w);
    // A widget deleted by its parent before the binder must not be synced any more.
    connect(w, &QObject::destroyed, this, [this, w](QObject*) {
        std::erase_if(bindings_, [w](const Binding& b) { return b.widget == w; });
        Control* c = controls_.take(w);
        if (c) {
            widgets_.remove(c);
            byName_.remove(c->name);
        }
    });
    const QSignalBlocker block(w);
    syncOne(control, w);
    return w;
}

QWidget* ControlBinder::create(Control& control) {
    switch (control.kind) {
        case ControlKind::Label: {
            auto* label = new QLabel;
            label->setTextFormat(Qt::PlainText);
            return label;
        }
        case ControlKind::Picture: {
            auto* picture = new QLabel;
            picture->setAlignment(Qt::AlignCenter);
            return picture;
        }
        case ControlKind::Bevel: {
            auto* line = new QFrame;
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            return line;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton;
            connect(button, &QPushButton::clicked, this, [this, &control] {
                if (!isBlocked(control) && !clickCancelled())
                    runUserEvent([&] { model_.userClicked(control); });
            });
            return button;
        }
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox;
            auto& check = static_cast<config::CheckBox&>(control);
            connect(box, &QCheckBox::clicked, this, [this, &check, box](bool checked) {
                if (isBlocked(check) || clickCancelled()) {
                    box->setChecked(check.checked);
                    return;
                }
                runUserEvent([&] { model_.userToggled(check, checked); });
            });
            return box;
        }
        case ControlKind::Edit:
        case ControlKind::MaskedEdit: {
            auto* edit = new QLineEdit;
            connect(edit, &QLineEdit::textEdited, this, [this, &control](const QString& text) {
                if (!isBlocked(control))
                    runUserEvent([&] { model_.userEdited(control, text); });
            });
            return edit;
        }
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox;
            auto& list = static_cast<config::ComboBox&>(control);
            // Every list accepts typing; the model completes what is typed, so Qt's own
            // completer stays off and typed texts never become items.
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setCompleter(nullptr);
            // A wheel passing over the page neither takes the focus nor turns the list (see
            // eventFilter).
            combo->setFocusPolicy(Qt::StrongFocus);
            connect(combo->lineEdit(), &QLineEdit::textEdited, this,
                    [this, &list, combo](const QString& typed) { comboTyped(list, combo, typed); });
            connect(combo, &QComboBox::activated, this, [this, &list](int index) {
                // Qt reports picking the item already shown too; only a change runs the handler.
                if (!isBlocked(list) && list.items.value(index) != list.text)
                    runUserEvent([&] { model_.userSelected(list, index); });
            });
            return combo;
        }
        case ControlKind::RadioGroup: {
            auto* box = new QGroupBox;
            box->setLayout(new QVBoxLayout);
            auto* buttons = new QButtonGroup(box);
            auto& group = static_cast<config::RadioGroup&>(control);
            connect(buttons, &QButtonGroup::idClicked, this, [this, &group](int index) {
                if (index == group.itemIndex)
                    return;  // a click on the chosen item changes nothing
                if (!isBlocked(group) && !clickCancelled())
                    runUserEvent([&] { model_.userSelected(group, index); });
                else
                    sync();  // the old choice stays shown
            });
            return box;
        }
        case ControlKind::ListBox: {
            auto* list = new QListWidget;
            connect(list, &QListWidget::currentRowChanged, this, [this, &control](int row) {
                if (row >= 0 && !isBlocked(control) && !clickCancelled())
                    runUserEvent([&] { model_.userSelected(control, row); });
                else
                    QTimer::singleShot(0, this, [this] { sync(); });  // the old row stays
            });
            return list;
        }
        case ControlKind::ProgressBar: {
            auto* bar = new QProgressBar;
            bar->setTextVisible(false);
            return bar;
        }
        case ControlKind::StringGrid: {
            auto* table = new QTableWidget;
            table->setEditTriggers(QAbstractItemView::NoEditTriggers);
            table->verticalHeader()->setVisible(false);
            return table;
        }
        case ControlKind::TabSheet:
            return new PageArea;
    }
    return new QWidget;
}

void ControlBinder::sync() {
    syncing_ = true;
    for (const Binding& b : bindings_) {
        const QSignalBlocker block(b.widget);
        syncOne(*b.control, b.widget);
    }
    syncing_ = false;
    // A field asked for while the operation kept it disabled gets the focus once it takes input.
    if (focusDeferred_) {
        const Control* target = controlOf(widgetNamed(pendingFocus_));
        if (!target || !isBlocked(*target)) {
            focusDeferred_ = false;
            requestFocus(pendingFocus_);
        }
    }
}

void ControlBinder::syncOne(Control& control, QWidget* w) {
    switch (control.kind) {
        case ControlKind::Label: {
            auto& c = static_cast<config::Label&>(control);
            auto* label = static_cast<QLabel*>(w);
            if (label->text() != c.caption)
                label->setText(c.caption);
            break;
        }
        case ControlKind::Picture: {
            auto& c = static_cast<config::Picture&>(control);
            if (w->property(kPictureSource).toString() != c.source) {
                w->setProperty(kPictureSource, c.source);
                static_cast<QLabel*>(w)->setPixmap(Logo(c.source));
            }
            break;
        }
        case ControlKind::Bevel:
            break;
        case ControlKind::Button: {
            auto& c = static_cast<config::Button&>(control);
            auto* button = static_cast<QPushButton*>(w);
            if (button->text() != c.caption)
                button->setText(c.caption);
            break;
        }
        case ControlKind::CheckBox: {
            auto& c = static_cast<config::CheckBox&>(control);
            auto* box = static_cast<QCheckBox*>(w);
            if (box->text() != c.caption)
                box->setText(c.caption);
            if (box->isChecked() != c.checked)
                box->setChecked(c.checked);
            break;
        }
        case ControlKind::Edit:
        case ControlKind::MaskedEdit: {
            auto& c = static_cast<config::Edit&>(control);
            auto* edit = static_cast<QLineEdit*>(w);
            if (edit->text() != c.text())
                edit->setText(c.text());
            edit->setMaxLength(c.maxLength > 0 ? c.maxLength : kUnlimitedLength);
            edit->setReadOnly(c.readOnly);
            break;
        }
        case ControlKind::ComboBox: {
            auto* combo = static_cast<QComboBox*>(w);
            const QSignalBlocker blockEdit(combo->lineEdit());
            syncComboBox(static_cast<config::ComboBox&>(control), combo);
            break;
        }
        case ControlKind::RadioGroup: {
            auto* box = static_cast<QGroupBox*>(w);
            const QSignalBlocker blockButtons(box->findChild<QButtonGroup*>());
            syncRadioGroup(static_cast<config::RadioGroup&>(control), box);
            break;
        }
        case ControlKind::ListBox: {
            auto& c = static_cast<config::ListBox&>(control);
            auto* list = static_cast<QListWidget*>(w);
            if (itemsOf(list) != c.items) {
                list->clear();
                list->addItems(c.items);
            }
            if (list->currentRow() != c.itemIndex)
                list->setCurrentRow(c.itemIndex);
            break;
        }
        case ControlKind::ProgressBar: {
            auto& c = static_cast<config::ProgressBar&>(control);
            auto* bar = static_cast<QProgressBar*>(w);
            if (bar->minimum() != c.minimum || bar->maximum() != c.maximum)
                bar->setRange(c.minimum, c.maximum);
            if (bar->value() != c.position)
                bar->setValue(c.position);
            break;
        }
        case ControlKind::StringGrid:
            syncGrid(static_cast<config::StringGrid&>(control), static_cast<QTableWidget*>(w));
            break;
        case ControlKind::TabSheet: {
            // A page is shown, hidden and captioned through its tab.
            auto& c = static_cast<config::TabSheet&>(control);
            if (QTabWidget* tabs = tabWidgetOf(w)) {
                const int index = tabs->indexOf(w);
                if (tabs->tabText(index) != c.caption)
                    tabs->setTabText(index, c.caption);
                tabs->setTabVisible(index, c.visible);
                tabs->setTabEnabled(index, c.enabled && !isBlocked(control));
            }
            return;
        }
    }
    if (w->isHidden() == control.visible)
        w->setHidden(!control.visible);
    w->setEnabled(control.enabled && !isBlocked(control));
}

void ControlBinder::runUserEvent(const std::function<void()>& event) {
    ++depth_;
    event();
    --depth_;
    if (depth_ == 0)
        emit handlerFinished();
}

void ControlBinder::comboTyped(config::ComboBox& control, QComboBox* combo, const QString& typed) {
    if (isBlocked(control))
        return;
    runUserEvent([&] { model_.userEdited(control, typed); });
    // The model completes a typed first character; the completed part is shown selected, so the
    // next key typed replaces it.
    QLineEdit* edit = combo->lineEdit();
    if (!typed.isEmpty() && control.text != typed && edit->text() == control.text &&
        control.text.startsWith(typed, Qt::CaseInsensitive))
        edit->setSelection(static_cast<int>(typed.size()),
                           static_cast<int>(control.text.size() - typed.size()));
}

void ControlBinder::requestFocus(const QString& controlName) {
    pendingFocus_ = controlName;
    focusDeferred_ = false;
    if (focusQueued_)
        return;
    focusQueued_ = true;
    // After the handler: the focus change that ran it must finish before the focus goes back.
    QTimer::singleShot(0, this, &ControlBinder::applyFocus);
}

void ControlBinder::applyFocus() {
    focusQueued_ = false;
    QWidget* w = widgetNamed(pendingFocus_);
    // Asked for during an operation, which goes on: the field waits until it takes input again.
    if (const Control* c = controlOf(w); c && c->visible && c->enabled && isBlocked(*c)) {
        focusDeferred_ = true;
        return;
    }
    pendingFocus_.clear();
    if (!w || w->isHidden() || !w->isEnabled())
        return;
    // A field on a page in the background: its page comes to the front first.
    for (QWidget* page = w; page && page->parentWidget(); page = page->parentWidget()) {
        auto* tabs = qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget());
        if (tabs && tabs->indexOf(page) >= 0 && tabs->currentWidget() != page) {
            movingFocus_ = true;
            tabs->setCurrentWidget(page);
            movingFocus_ = false;
        }
    }
    giveFocus(w);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->lineEdit()->selectAll();
}

void ControlBinder::giveFocus(QWidget* widget) {
    movingFocus_ = true;
    widget->setFocus(Qt::OtherFocusReason);
    movingFocus_ = false;
    // The whole field scrolled into view where its page does not fit the window.
    for (QWidget* p = widget->parentWidget(); p; p = p->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(p)) {
            const QRect r(widget->mapTo(area->widget(), QPoint()), widget->size());
            const int margin = 8;
            area->ensureVisible(r.center().x(), r.center().y(), r.width() / 2 + margin,
                                r.height() / 2 + margin);
            break;
        }
}

bool ControlBinder::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::FocusOut: {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // Another window (also a handler's own message box) or a popup taking the focus is not
            // leaving the control, nor is the focus moving because a handler asked for it.
            if (depth_ > 0 || syncing_ || movingFocus_ || reason == Qt::ActiveWindowFocusReason ||
                reason == Qt::PopupFocusReason)
                break;
            Control* control = controls_.value(watched);
            if (control && !isBlocked(*control))
                runUserEvent([&] { model_.userLeft(*control); });
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // The press that took the focus from a field whose check failed: a list's popup
            // stays shut, or the item under the mouse would be picked by the next click.
            if (clickCancelled() && qobject_cast<QComboBox*>(watched))
                return true;
            break;
        case QEvent::Wheel:
            // Only a list with the focus turns under the wheel; the event goes on to the page.
            if (auto* combo = qobject_cast<QComboBox*>(watched); combo && !combo->hasFocus()) {
                event->ignore();
                return true;
            }
            break;
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            Control* control = controls_.value(watched);
            if (!control || control->kind != ControlKind::Label || !control->onClick ||
                isBlocked(*control))
                break;
            auto* w = static_cast<QWidget*>(watched);
            if (mouse->button() == Qt::LeftButton &&
                w->rect().contains(mouse->position().toPoint()))
                runUserEvent([&] { model_.userClicked(*control); });
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace veld::ui
