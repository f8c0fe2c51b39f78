#include "config/lin_file.h"

#include "config/lin_dialog.h"
#include "config/main_form.h"
#include "config/messages.h"
#include "lin/point_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {

QString ResolveInitialDirectory(const QString& profileDirectory, const ModelSettings& settings) {
    const bool exists = settings.directoryExists ? settings.directoryExists(profileDirectory)
                                                 : QDir(profileDirectory).exists();
    if (exists)
        return profileDirectory;
    if (!settings.documentsDirectory.isEmpty())
        return settings.documentsDirectory;
    // The system names a documents folder even where the account has none; a dialog told to
    // start in a missing folder offers its name as the file name.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

FileDialogRequest LinFileChoice::openRequest() const {
    const FileDialogSettings& d = e_.form.OpenDialog1;
    return {d.title, d.filter, ResolveInitialDirectory(d.initialDirectory, e_.settings),
            d.defaultExtension};
}

void LinFileChoice::vyber_souboru() {
    const auto path = e_.prompts.openFile(openRequest());
    if (!path)
        return;
    // A file that cannot be used leaves the points of an earlier file as they were.
    const lin::PointFileResult file = lin::ReadPointFile(path->toStdString());
    if (!file.ok) {
        e_.prompts.message(QString::fromStdString(file.message));
        return;
    }
    if (!e_.points.load(file.points))
        return;  // the reader has refused such files already
    e_.form.OpenDialog1.fileName = *path;
    fillGrid();
    ++e_.dialog.filesShown;
    e_.dialog.visible = true;
    Zpus_linChange();
}

void LinFileChoice::fillGrid() {
    StringGrid& grid = e_.dialog.StringGrid1;
    for (int row = 1; row < grid.rowCount(); ++row) {
        grid.setCell(0, row, QString());
        grid.setCell(1, row, QString());
    }
    grid.setCell(0, 0, u"Naměřená vstupní hodnota"_s);
    grid.setCell(1, 0, u"Požadovaná hodnota po linearizaci"_s);
    grid.fixedRows = 1;
    const auto sep = e_.settings.decimalSeparator;
    for (int i = 1; i <= e_.points.PointCount; ++i) {
        const auto idx = static_cast<std::size_t>(i);
        grid.setCell(0, i, FormatGeneral(e_.points.PointsIn[idx], sep));
        grid.setCell(1, i, FormatGeneral(e_.points.PointsOut[idx], sep));
    }
}

void LinFileChoice::Zpus_linChange() {
    LinDialogForm& d = e_.dialog;
    if (d.Zpus_lin.itemIndex == LinDialogForm::kMethodPolynomial) {
        d.stup_p.text = u"6"_s;
        d.pstup.show();
        d.stup_p.show();
    } else if (d.Zpus_lin.itemIndex == LinDialogForm::kMethodSegments) {
        d.pstup.visible = false;  // the label keeps its enabled state here, unlike on a click
        d.stup_p.hide();
    }
    bool ok = false;
    const int degree = d.stup_p.text.trimmed().toInt(&ok);
    if (ok && degree > e_.points.PointTotal)
        d.stup_p.text = QString::number(e_.points.PointTotal);
}

void LinFileChoice::Zpus_linClick() {
    LinDialogForm& d = e_.dialog;
    if (d.Zpus_lin.itemIndex == LinDialogForm::kMethodPolynomial) {
        d.pstup.show();
        d.stup_p.show();
    } else if (d.Zpus_lin.itemIndex == LinDialogForm::kMethodSegments) {
        d.pstup.hide();
        d.stup_p.hide();
    }
}

void LinFileChoice::stup_pChange() {
    ComboBox& box = e_.dialog.stup_p;
    if (box.text.isEmpty())
        return;
    bool ok = false;
    const int degree = box.text.trimmed().toInt(&ok);
    if (!ok) {
        e_.prompts.message(kMsgBadPolynomialDegree);
        e_.prompts.focus(box.name);
        return;
    }
    e_.points.PolyDegreeSetting = degree;
    if (degree > e_.points.PointTotal) {
        e_.prompts.message(kMsgDegreeAbovePoints);
        box.text = QString::number(e_.points.PointTotal);
    }
}

void LinFileChoice::OKClick() {
    LinDialogForm& d = e_.dialog;
    const int total = e_.points.PointTotal;
    if (d.Zpus_lin.itemIndex == LinDialogForm::kMethodPolynomial) {
        if (total < 3) {
            e_.prompts.message(kMsgTooFewPoints);
            return;
        }
        if (total > lin::kMaxPoints) {
            e_.prompts.message(kMsgTooManyPoints);
            return;
        }
    } else if (d.Zpus_lin.itemIndex == LinDialogForm::kMethodSegments && total > 21) {
        e_.prompts.message(kMsgTooManySegmentPoints);
        return;
    }
    if (d.stup_p.text.isEmpty())
        e_.prompts.message(kMsgDegreeRange);
    stup_pChange();
    d.visible = false;
}

void LinFileChoice::JinyClick() {
    e_.dialog.visible = false;
    vyber_souboru();
}

}  // namespace veld::config
