#pragma once

#include "config/controls.h"
#include "config/number_format.h"
#include "lin/functions.h"

#include <optional>
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

// The preview beside the grid: the curve a write would build from the points, drawn over their
// input range, and how far it misses each point in the output unit.
struct LinDialogCurve {
    struct Sample {
        double x = 0, y = 0;
    };
    std::vector<Sample> line;            // the fit or the segments, rising input
    std::vector<Sample> deviation;       // at each point: input, curve minus desired output
    std::optional<long double> largest;  // none when no curve could be built
    QString message;                     // why not, first message of the computation
};
// `method` is a LinDialogForm method, `degree` the degree shown (the polynomial only). The
// polynomial is fitted over the whole output range of the points.
LinDialogCurve ComputeLinDialogCurve(const std::vector<lin::Point>& points, int method,
                                     std::optional<int> degree);
// "Největší odchylka: 0.0123 °C", or the reason there is no curve.
QString LargestDeviationText(const LinDialogCurve& curve, DecimalSeparator separator,
                             const QString& unit);

}  // namespace veld::config
