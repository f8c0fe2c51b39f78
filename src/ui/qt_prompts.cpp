#include "ui/qt_prompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpacerItem>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace veld::ui {
namespace {

// Boxes open over whatever window the user is working in: the linearization dialog or the
// main window.
QWidget* boxParent() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// Each file dialog of the window is known by its kind and title; the folder last used in it is
// remembered per user under this key.
QString folderKey(const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QString key = mode == QFileDialog::AcceptOpen ? u"FileDialogs/open"_s : u"FileDialogs/save"_s;
    QString title;
    for (const QChar c : request.title.normalized(QString::NormalizationForm_D))
        if (c.isLetterOrNumber() && c.unicode() < 128)
            title.append(c);
    return title.isEmpty() ? key : key + u'-' + title;
}

std::optional<QString> runFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode,
                                     QSettings* store) {
    std::optional<QSettings> application;
    if (!store)
        store = &application.emplace();
    QSettings& settings = *store;
    // The folder the user last chose a file in, while it exists; the requested one before that.
    const QString key = folderKey(request, mode);
    QString folder = settings.value(key).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = request.initialDirectory;
    // A missing folder would be offered as the file name.
    if (!folder.isEmpty() && !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    QFileDialog dialog(boxParent(), request.title, folder, QtFileFilter(request.filter));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(request.folder                    ? QFileDialog::Directory
                       : mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                         : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ShowDirsOnly, request.folder);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    const QFileInfo picked(chosen.constFirst());
    settings.setValue(key, request.folder ? picked.absoluteFilePath() : picked.absolutePath());
    return chosen.constFirst();
}

// QMessageBox wraps a text wider than about half the screen, which can leave a unit alone on
// the next line. A spacer as wide as the longest line under the text keeps each line whole
// (up to the width of the screen).
void fitToText(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    auto* label = box.findChild<QLabel*>(u"qt_msgbox_label"_s);
    if (!grid || !label)
        return;
    const int index = grid->indexOf(label);
    if (index < 0)
        return;
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    int width = 0;
    for (const QString& line : box.text().split(u'\n'))
        width = std::max(width, label->fontMetrics().horizontalAdvance(line));
    width += 2 * label->margin() + 4;  // the label's own frame, and rounding
    if (const QScreen* screen = box.screen())
        width = std::min(width, screen->availableGeometry().width() * 3 / 4);
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), column);
}

}  // namespace

QString QtFileFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == u"*.*")
                p = u"*"_s;
        }
        filters.append(parts[i].trimmed() + u" ("_s + patterns.join(u' ') + u')');
    }
    return filters.join(u";;"_s);
}

void QtPrompts::message(const QString& text) {
    QMessageBox box(boxParent());
    box.setWindowTitle(title_);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    QPushButton* ok = box.addButton(u"OK"_s, QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    fitToText(box);
    box.exec();
}

bool QtPrompts::question(const QString& text) {
    QMessageBox box(boxParent());
    box.setWindowTitle(title_);
    box.setIcon(QMessageBox::Question);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    QPushButton* yes = box.addButton(u"Ano"_s, QMessageBox::YesRole);
    QPushButton* no = box.addButton(u"Ne"_s, QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    fitToText(box);
    box.exec();
    return box.clickedButton() == yes;
}

std::optional<QString> QtPrompts::openFile(const FileDialogRequest& request) {
    return runFileDialog(request, QFileDialog::AcceptOpen, settings_);
}

std::optional<QString> QtPrompts::saveFile(const FileDialogRequest& request) {
    return runFileDialog(request, QFileDialog::AcceptSave, settings_);
}

}  // namespace veld::ui
