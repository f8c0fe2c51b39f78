#include "ui/lin_dialog_view.h"

#include "config/main_window_model.h"
#include "ui/control_binder.h"

#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace veld::ui {

namespace {

constexpr int kPreviewWidth = 520;

// The data's range, some range for a flat one.
void SetRange(QValueAxis* axis, double lo, double hi) {
    const double pad = hi > lo ? 0 : std::max(std::fabs(hi) * 0.05, 1.0);
    axis->setRange(lo - pad, hi + pad);
}

}  // namespace

LinDialogView::LinDialogView(config::MainWindowModel& model, ControlBinder& binder, QWidget* parent)
    : ModelDialog(binder, parent), model_(model), chart_(new QChart), largest_(new QLabel(this)) {
    setObjectName(QStringLiteral("Form4"));
    config::LinDialogForm& d = model.dialog;
    setWindowModality(Qt::ApplicationModal);
    resize(config::LinDialogForm::kWidth + kPreviewWidth, config::LinDialogForm::kHeight);

    auto* grid = static_cast<QTableWidget*>(binder.bind(d.StringGrid1));
    grid->setFocusPolicy(d.StringGrid1.tabStop ? Qt::StrongFocus : Qt::NoFocus);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    auto* degree = new QHBoxLayout;
    degree->addWidget(binder.bind(d.pstup));
    auto* stup = static_cast<QComboBox*>(binder.bind(d.stup_p));
    stup->setMinimumContentsLength(3);
    degree->addWidget(stup);
    degree->addStretch();

    auto* method = new QHBoxLayout;
    method->addWidget(binder.bind(d.Zpus_lin), 1);
    auto* degreeColumn = new QVBoxLayout;
    degreeColumn->addStretch();
    degreeColumn->addLayout(degree);
    method->addLayout(degreeColumn);

    auto* buttons = new QHBoxLayout;
    auto* ok = static_cast<QPushButton*>(binder.bind(d.OK));
    auto* other = binder.bind(d.Jiny);
    // The model decides what Enter does; no button closes the dialog by itself.
    ok->setAutoDefault(false);
    static_cast<QPushButton*>(other)->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addSpacing(24);
    buttons->addWidget(other);
    buttons->addStretch();

    auto* chartView = new QChartView(chart_, this);
    chartView->setObjectName(u"LinPreviewView"_s);
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumWidth(kPreviewWidth - 40);
    chart_->legend()->setAlignment(Qt::AlignBottom);
    largest_->setObjectName(u"LinPreviewLargest"_s);
    auto* preview = new QVBoxLayout;
    preview->addWidget(chartView, 1);
    preview->addWidget(largest_);
    auto* top = new QHBoxLayout;
    top->addWidget(grid, 3);
    top->addLayout(preview, 4);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(method);
    layout->addLayout(buttons);
    ok->setMinimumWidth(ok->sizeHint().width() * 2);
    sync();
}

void LinDialogView::sync() {
    const config::LinDialogForm& d = model_.dialog;
    if (windowTitle() != d.caption)
        setWindowTitle(d.caption);
    if (filesShown_ != d.filesShown) {
        // Another file: its points from the first row, not where the last one was scrolled to.
        filesShown_ = d.filesShown;
        if (auto* grid = binder_.widget<QTableWidget>(d.StringGrid1)) {
            grid->clearSelection();
            grid->scrollToTop();
        }
    }
    refreshPreview();
    if (d.visible && !isVisible()) {
        show();
        raise();
        activateWindow();
    } else if (!d.visible && isVisible()) {
        hide();
    }
}

void LinDialogView::refreshPreview() {
    const config::LinDialogForm& d = model_.dialog;
    const std::vector<lin::Point> points = model_.points.points();
    PreviewKey key;
    for (const lin::Point& p : points) {
        key.in.push_back(static_cast<double>(p.in));
        key.out.push_back(static_cast<double>(p.out));
    }
    key.method = d.Zpus_lin.itemIndex;
    key.degree = d.stup_p.text;
    key.unit = model_.form.Label8.caption;
    const config::DecimalSeparator separator = model_.settings().decimalSeparator;
    key.comma = separator == config::DecimalSeparator::Comma;
    if (key == previewKey_)
        return;
    previewKey_ = key;

    bool degreeOk = false;
    const int degree = d.stup_p.text.trimmed().toInt(&degreeOk);
    const config::LinDialogCurve curve = config::ComputeLinDialogCurve(
        points, d.Zpus_lin.itemIndex, degreeOk ? std::optional<int>(degree) : std::nullopt);
    largest_->setText(config::LargestDeviationText(curve, separator, key.unit));

    chart_->removeAllSeries();
    // The chart gives a removed axis back to us; the series it deletes itself.
    for (QAbstractAxis* axis : chart_->axes()) {
        chart_->removeAxis(axis);
        delete axis;
    }
    if (points.empty())
        return;
    const QString unit = key.unit.isEmpty() ? QString() : u" ["_s + key.unit + u"]"_s;
    auto* x = new QValueAxis;
    x->setTitleText(u"Vstup"_s);
    x->setLabelFormat(u"%g"_s);
    auto* y = new QValueAxis;
    y->setTitleText(u"Výstup"_s + unit);
    y->setLabelFormat(u"%g"_s);
    chart_->addAxis(x, Qt::AlignBottom);
    chart_->addAxis(y, Qt::AlignLeft);

    auto* dots = new QScatterSeries;
    dots->setName(u"Body"_s);
    dots->setMarkerSize(7);
    double xLo = key.in.front(), xHi = xLo, yLo = key.out.front(), yHi = yLo;
    for (std::size_t i = 0; i < key.in.size(); ++i) {
        dots->append(key.in[i], key.out[i]);
        xLo = std::min(xLo, key.in[i]);
        xHi = std::max(xHi, key.in[i]);
        yLo = std::min(yLo, key.out[i]);
        yHi = std::max(yHi, key.out[i]);
    }
    if (!curve.line.empty()) {
        auto* line = new QLineSeries;
        line->setName(d.Zpus_lin.itemIndex == config::LinDialogForm::kMethodPolynomial
                          ? u"Polynom stupně %1"_s.arg(degree)
                          : u"Lineární úseky"_s);
        for (const auto& s : curve.line) {
            line->append(s.x, s.y);
            if (std::isfinite(s.y)) {
                yLo = std::min(yLo, s.y);
                yHi = std::max(yHi, s.y);
            }
        }
        chart_->addSeries(line);
        line->attachAxis(x);
        line->attachAxis(y);
    }
    chart_->addSeries(dots);
    dots->attachAxis(x);
    dots->attachAxis(y);
    // Nice numbers round the data's own range outwards; padding first would widen it a step.
    SetRange(x, xLo, xHi);
    SetRange(y, yLo, yHi);
    x->applyNiceNumbers();
    y->applyNiceNumbers();

    if (curve.largest) {
        auto* dev = new QLineSeries;
        dev->setName(u"Odchylka"_s);
        dev->setPointsVisible(true);
        QPen pen(QColor(0xc0, 0x30, 0x30));
        pen.setWidthF(1.0);
        pen.setStyle(Qt::DashLine);
        dev->setPen(pen);
        for (const auto& s : curve.deviation)
            dev->append(s.x, s.y);
        auto* right = new QValueAxis;
        right->setTitleText(u"Odchylka"_s + unit);
        right->setLabelFormat(u"%.3g"_s);
        right->setLabelsColor(pen.color());
        right->setTitleBrush(pen.color());
        right->setGridLineVisible(false);
        const double m = static_cast<double>(*curve.largest);
        // Centred on zero; below the label's last decimal the miss is rounding noise and gets a
        // plain unit scale.
        const bool noise = !(m >= 1e-6);
        right->setRange(noise ? -1.0 : -m, noise ? 1.0 : m);
        right->applyNiceNumbers();
        chart_->addAxis(right, Qt::AlignRight);
        chart_->addSeries(dev);
        dev->attachAxis(x);
        dev->attachAxis(right);
    }
}

bool LinDialogView::shownByModel() const {
    return model_.dialog.visible;
}

void LinDialogView::closedByUser() {
    model_.userClosedDialog();
}

}  // namespace veld::ui
