#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Controls of the windows as plain data. The widgets of the window only mirror these objects;
// every rule works on them and is tested without a display.
//
// Event semantics, as the windows have them:
// - Setting an edit's text from code runs its change handler, every time (`Edit::setText`).
// - Setting a list's text from code runs nothing (`ComboBox::text` is a plain field); its
//   change handler runs only for the user or when a handler calls it explicitly.
// - "Exit" runs when the user leaves a control (`onExit`).
// The view reports user events through the entry points of the window model, which run these
// handlers and then tell the view to re-sync.
namespace veld::config {

enum class ControlKind {
    Label,
    Picture,
    Bevel,
    Button,
    CheckBox,
    Edit,
    MaskedEdit,
    ComboBox,
    RadioGroup,
    ListBox,
    ProgressBar,
    StringGrid,
    TabSheet,
};

struct Control {
    Control(ControlKind controlKind, QString controlName)
        : kind(controlKind), name(std::move(controlName)) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const ControlKind kind;
    const QString name;  // the documented name, e.g. "Pocatek"
    bool visible = true;
    bool enabled = true;

    // "Shown" is visible and enabled, "hidden" is neither.
    void show() { visible = enabled = true; }
    void hide() { visible = enabled = false; }

    std::function<void()> onExit;   // the user left the control
    std::function<void()> onClick;  // button, check box, radio group, list box, label click
};

struct Label : Control {
    explicit Label(QString n, QString text = {})
        : Control(ControlKind::Label, std::move(n)), caption(std::move(text)) {}
    QString caption;
};

// A picture whose content is the window's own (logos); `source` names it for the view.
struct Picture : Control {
    explicit Picture(QString n, QString src = {})
        : Control(ControlKind::Picture, std::move(n)), source(std::move(src)) {}
    QString source;
};

struct Bevel : Control {
    explicit Bevel(QString n) : Control(ControlKind::Bevel, std::move(n)) {}
};

struct Button : Control {
    explicit Button(QString n, QString text = {})
        : Control(ControlKind::Button, std::move(n)), caption(std::move(text)) {}
    QString caption;  // "&" marks the accelerator key, as in "&Uložit vše do převodníku"
};

struct CheckBox : Control {
    explicit CheckBox(QString n, QString text = {})
        : Control(ControlKind::CheckBox, std::move(n)), caption(std::move(text)) {}
    QString caption;
    bool checked = false;
};

// An edit box. Its change handler runs whenever its text is set, by the user or by code.
struct Edit : Control {
    explicit Edit(QString n, QString initial = {}, ControlKind k = ControlKind::Edit)
        : Control(k, std::move(n)), text_(std::move(initial)) {}
    const QString& text() const { return text_; }
    bool isEmpty() const { return text_.isEmpty(); }
    void setText(const QString& t) {
        text_ = t;
        if (onChange)
            onChange();
    }

    int maxLength = 0;  // 0: unlimited; limits what the user types
    bool readOnly = false;
    std::function<void()> onChange;

private:
    QString text_;
};

struct MaskedEdit : Edit {
    explicit MaskedEdit(QString n, QString initial = {})
        : Edit(std::move(n), std::move(initial), ControlKind::MaskedEdit) {}
};

// A drop-down list that also accepts typing. `text` is what it shows, an item or not.
// Setting `text` from code runs nothing; `onChange` runs for the user's changes.
struct ComboBox : Control {
    explicit ComboBox(QString n, QStringList list = {}, QString initial = {})
        : Control(ControlKind::ComboBox, std::move(n)),
          items(std::move(list)),
          text(std::move(initial)) {}
    QStringList items;
    QString text;
    int dropDownCount = 8;  // lines shown when the list is open
    std::function<void()> onChange;

    int itemIndex() const { return items.indexOf(text); }
    void clear() {
        items.clear();
        text.clear();
    }
};

// Mutually exclusive choices; -1 when none is selected. `onClick` runs when the user picks one.
struct RadioGroup : Control {
    RadioGroup(QString n, QString title, QStringList list, int index)
        : Control(ControlKind::RadioGroup, std::move(n)),
          caption(std::move(title)),
          items(std::move(list)),
          itemIndex(index) {}
    QString caption;
    QStringList items;
    int itemIndex = -1;
};

// A plain list of choices; -1 when none is selected. `onClick` runs when the user picks one.
struct ListBox : Control {
    explicit ListBox(QString n) : Control(ControlKind::ListBox, std::move(n)) {}
    QStringList items;
    int itemIndex = -1;
};

struct ProgressBar : Control {
    explicit ProgressBar(QString n) : Control(ControlKind::ProgressBar, std::move(n)) {}
    int minimum = 0;
    int maximum = 100;
    int position = 0;
};

// A grid of text cells; row and column 0 are the first. `fixedRows` rows on top are headings.
struct StringGrid : Control {
    StringGrid(QString n, int columns, int rows) : Control(ControlKind::StringGrid, std::move(n)) {
        resize(columns, rows);
    }
    int columnCount() const { return columns_; }
    int rowCount() const { return static_cast<int>(cells_.size()); }
    void resize(int columns, int rows) {
        columns_ = columns;
        cells_.assign(static_cast<std::size_t>(rows), QStringList());
        for (auto& row : cells_)
            for (int c = 0; c < columns; ++c)
                row.append(QString());
    }
    // Cells outside the grid read as empty and are not written.
    QString cell(int column, int row) const {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columns_)
            return {};
        return cells_[static_cast<std::size_t>(row)][column];
    }
    void setCell(int column, int row, const QString& text) {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columns_)
            return;
        cells_[static_cast<std::size_t>(row)][column] = text;
    }

    int fixedRows = 1;
    int fixedColumns = 0;
    std::vector<int> columnWidths;
    bool tabStop = true;

private:
    int columns_ = 0;
    std::vector<QStringList> cells_;
};

// A page of the page control; `children` are its controls in the order they are listed.
struct TabSheet : Control {
    TabSheet(QString n, QString title)
        : Control(ControlKind::TabSheet, std::move(n)), caption(std::move(title)) {}
    QString caption;
    std::vector<Control*> children;
};

// A timer of the window (not drawn).
struct Timer {
    QString name;
    int intervalMs = 1000;
    bool enabled = false;
};

// What a file dialog of the window is set to; `fileName` is the last file chosen in it.
struct FileDialogSettings {
    QString name;
    QString title;
    QString filter;            // "*.txt|*.txt|*.*|*.*"
    QString initialDirectory;  // as the branding profile sets it; see the model for the folder used
    QString defaultExtension;
    bool hideReadOnly = false;
    QString fileName;
};

}  // namespace veld::config
