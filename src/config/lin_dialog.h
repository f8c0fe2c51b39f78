#pragma once

#include "config/controls.h"

#include <vector>

// The dialog "Hodnoty linearizačního souboru" (`TForm4`) as plain data. It shows the points of
// the chosen linearization file and lets the user choose the method and the polynomial degree.
// It is shown without blocking: `visible` turns true when a file has been read and false when
// the user confirms or asks for another file.
namespace veld::config {

struct LinDialogForm {
    LinDialogForm();
    LinDialogForm(const LinDialogForm&) = delete;
    LinDialogForm& operator=(const LinDialogForm&) = delete;

    const std::vector<Control*>& controls() const { return all_; }
    Control* find(const QString& controlName) const;

    static constexpr int kWidth = 716;
    static constexpr int kHeight = 559;
    static constexpr int kMethodPolynomial = 0;  // "Polynom metodou nejmenších čtverců"
    static constexpr int kMethodSegments = 1;  // "Proložení lineárními přímkami v zadaných bodech"

    QString caption = QStringLiteral("Hodnoty linearizačního souboru");
    bool visible = false;
    // Counts the files read into the grid; a view shows each new one from its first row.
    int filesShown = 0;

    StringGrid StringGrid1{QStringLiteral("StringGrid1"), 2, 101};  // row 0: headings
    RadioGroup Zpus_lin;
    ComboBox stup_p;  // "2" .. "8"
    Label pstup;      // "Stupeň polynomu"
    Button OK;
    Button Jiny;  // "Jiný linearizační soubor"

private:
    std::vector<Control*> all_;
};

}  // namespace veld::config
