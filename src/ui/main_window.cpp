#include "ui/main_window.h"

#include "config/main_window_model.h"
#include "ui/compare_dialog.h"
#include "ui/control_binder.h"
#include "ui/deviation_plot.h"
#include "ui/lin_dialog_view.h"
#include "ui/qt_prompts.h"
#include "ui/sensor_match_view.h"
#include "ui/traffic_page.h"
#include "ui/trend_chart.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;
using veld::config::Control;
using veld::config::ControlKind;

namespace veld::ui {
namespace {

// Fields wide enough for "-1234.567" or an input type name, not more: the rest of the width
// goes to the gaps between the groups.
constexpr int kNumberFieldWidth = 110;
constexpr int kListWidth = 230;

// A row of buttons at their natural width, on the left. Without a stretch in it, a row whose
// buttons are all hidden takes no room.
QHBoxLayout* buttonRow(std::initializer_list<QWidget*> buttons) {
    auto* line = new QHBoxLayout;
    for (QWidget* b : buttons)
        line->addWidget(b);
    line->setAlignment(Qt::AlignLeft);
    return line;
}

void addButtons(QGridLayout* grid, int row, int column, std::initializer_list<QWidget*> buttons) {
    grid->addLayout(buttonRow(buttons), row, column, 1, grid->columnCount() - column,
                    Qt::AlignLeft);
}

// Gives the label column and the unit column of several grids one width each, so that the
// fields of stacked groups line up. Hidden labels count too: the columns must not jump when the
// input type shows them.
void alignLabelColumns(std::initializer_list<QGridLayout*> grids) {
    for (const int column : {0, 2}) {
        int width = 0;
        for (QGridLayout* grid : grids) {
            for (int i = 0; i < grid->count(); ++i) {
                int row = 0, at = 0, rowSpan = 0, columnSpan = 0;
                grid->getItemPosition(i, &row, &at, &rowSpan, &columnSpan);
                if (at != column || columnSpan != 1)
                    continue;
                QLayoutItem* item = grid->itemAt(i);
                width = std::max(width, item->widget() ? item->widget()->sizeHint().width()
                                                       : item->sizeHint().width());
            }
        }
        for (QGridLayout* grid : grids)
            grid->setColumnMinimumWidth(column, width);
    }
}

}  // namespace

MainWindow::MainWindow(config::MainWindowModel& model, WindowPrompts& prompts, QWidget* parent)
    : QWidget(parent), model_(model), prompts_(prompts), binder_(new ControlBinder(model, this)) {
    setObjectName(u"Form1"_s);
    config::MainForm& f = model.form;

    tabs_ = new QTabWidget;
    tabs_->setObjectName(u"PageControl1"_s);
    // All tabs side by side, none elided; scroll buttons only on a screen too narrow for them.
    tabs_->tabBar()->setUsesScrollButtons(true);
    tabs_->tabBar()->setExpanding(false);
    tabs_->tabBar()->setElideMode(Qt::ElideNone);
    tabs_->addTab(buildInputPage(), f.TabSheet1.caption);
    tabs_->addTab(buildRelayPage(), f.TabSheet2.caption);
    tabs_->addTab(buildOutputPage(), f.TabSheet3.caption);
    tabs_->addTab(buildPortPage(), f.TabSheet5.caption);
    tabs_->addTab(buildInfoPage(), f.TabSheet6.caption);
    tabs_->addTab(buildMeasurementPage(), f.TabSheet4.caption);
    tabs_->addTab(buildBackupPage(), f.TabSheet7.caption);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        model_.userShowedPage(index);
        emit pageShown(index);
    });
    // A click on a tab, like Ctrl+Tab, leaves the field first; a refused field keeps its page.
    tabs_->tabBar()->setFocusPolicy(Qt::StrongFocus);
    tabs_->tabBar()->installEventFilter(this);
    tabs_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addWidget(w(f.Prenos));
    layout->addWidget(w(f.Transfer1));

    dialog_ = new LinDialogView(model, *binder_, this);
    sensorDialog_ = new SensorMatchView(model, *binder_, this);

    binder_->setBlocked([this](const Control& c) { return model_.blockedWhileBusy(c); });
    connect(binder_, &ControlBinder::handlerFinished, this, &MainWindow::closeIfPending);
    prompts_.setFocusHandler([this](const QString& name) { binder_->requestFocus(name); });
    // The model reports each transaction boundary too: a close waits for the last one.
    model_.changed = [this] {
        sync();
        closeIfPending();
    };
    // Measured while every control is still shown, so that no input type needs more room later.
    natural_ = sizeHint();
    sync();
}

MainWindow::~MainWindow() {
    model_.changed = nullptr;
    prompts_.setFocusHandler(nullptr);
}

int MainWindow::pageIndex(const Control& page) const {
    QWidget* widget = binder_->widgetOf(page);
    return widget ? tabs_->indexOf(widget) : -1;
}

QWidget* MainWindow::w(Control& control) {
    return binder_->bind(control);
}

QWidget* MainWindow::body(config::TabSheet& page) {
    return static_cast<QScrollArea*>(w(page))->widget();
}

QWidget* MainWindow::heading(Control& control) {
    QWidget* label = w(control);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QGroupBox* MainWindow::section(QWidget* parent) {
    auto* frame = new QGroupBox(parent);
    sections_.push_back(frame);
    return frame;
}

void MainWindow::addRow(QGridLayout* grid, int row, QWidget* label, QWidget* field, QWidget* unit) {
    grid->addWidget(label, row, 0);
    if (unit) {
        grid->addWidget(field, row, 1);
        grid->addWidget(unit, row, 2);
    } else {
        grid->addWidget(field, row, 1, 1, 2);
    }
    if (qobject_cast<QLineEdit*>(field))
        field->setMinimumWidth(kNumberFieldWidth);
    if (auto* list = qobject_cast<QComboBox*>(field))
        list->setMinimumWidth(kListWidth);
    grid->setColumnStretch(1, 1);
}

QWidget* MainWindow::buildInputPage() {
    config::MainForm& f = model_.form;
    QWidget* page = body(f.TabSheet1);

    auto* top = new QHBoxLayout;
    QWidget* title = heading(f.Konfigurace);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    title->setFont(titleFont);
    top->addWidget(title);
    top->addStretch();
    // The firmware number with its caption; the program's version stands under the maker's
    // name, so that the two numbers are not read together.
    top->addWidget(w(f.Label77));
    top->addWidget(w(f.Label78));

    // Input type and the values that depend on it.
    QGroupBox* input = section(page);
    auto* ig = new QGridLayout(input);
    addRow(ig, 0, w(f.LabVstup), w(f.Vstup));
    addRow(ig, 1, w(f.Label3), w(f.PripCidl));
    addRow(ig, 2, w(f.OVzdStKon), w(f.VzdStKon));
    addRow(ig, 3, w(f.Label10), w(f.DelPomer), w(f.Label11));
    addRow(ig, 4, w(f.Label31), w(f.SnOdpor), w(f.Label32));
    addRow(ig, 5, w(f.Pcelkodpor), w(f.CelkovyOdpor), w(f.Jcelkodpor));

    // Measuring range and linearization.
    QGroupBox* range = section(page);
    auto* rg = new QGridLayout(range);
    rg->addWidget(heading(f.Label4), 0, 0, 1, 3);
    addRow(rg, 1, w(f.Label6), w(f.Pocatek), w(f.Label8));
    addRow(rg, 2, w(f.Label7), w(f.Konec), w(f.Label9));
    addRow(rg, 3, w(f.Label15), w(f.Linearizace));
    auto* linOptions = new QHBoxLayout;
    linOptions->addWidget(w(f.PresnaLin));
    linOptions->addWidget(w(f.ButCidlo));
    linOptions->addStretch();
    rg->addLayout(linOptions, 4, 1, 1, 2);
    // The deviation reads as a link: a click plots it.
    QWidget* deviation = w(f.LabOdchylka);
    deviation->setCursor(Qt::PointingHandCursor);
    deviation->setStyleSheet(u"color: palette(link); text-decoration: underline;"_s);
    static_cast<QLabel*>(deviation)->setWordWrap(true);
    rg->addWidget(deviation, 5, 0, 1, 3);
    addRow(rg, 6, w(f.Vol_Jednotka), w(f.VolenaJednotka));

    // Damping, fault signalling and PV correction.
    QGroupBox* params = section(page);
    auto* pg = new QGridLayout(params);
    addRow(pg, 0, w(f.LabTlumeni), w(f.Tlumeni), w(f.LabTlumeniJednotka));
    auto* faultCaption = new QVBoxLayout;
    faultCaption->setSpacing(0);
    faultCaption->addWidget(w(f.LabChybproud1));
    faultCaption->addWidget(w(f.LabChybproud2));
    pg->addLayout(faultCaption, 1, 0);
    pg->addWidget(w(f.Chybproud), 1, 1, 1, 2);
    static_cast<QComboBox*>(w(f.Chybproud))->setMinimumWidth(kListWidth);
    addRow(pg, 2, w(f.Label1), w(f.korekcePV), w(f.Label30));
    addButtons(pg, 3, 1, {w(f.Button8), w(f.Button1)});

    alignLabelColumns({ig, rg, pg});

    auto* left = new QVBoxLayout;
    left->addWidget(input);
    left->addWidget(range);
    left->addWidget(params);
    left->addStretch();

    // Whole configuration to and from the transmitter.
    QGroupBox* transfer = section(page);
    auto* tl = new QVBoxLayout(transfer);
    tl->addWidget(w(f.Poslat));
    tl->addWidget(w(f.Precist));
    auto* counter = new QHBoxLayout;
    counter->addWidget(w(f.Label19));
    counter->addWidget(w(f.ZPocPrij));
    counter->addStretch();
    tl->addLayout(counter);

    QGroupBox* file = section(page);
    auto* fl = new QVBoxLayout(file);
    fl->addWidget(heading(f.LabKonfSoubor));
    fl->addLayout(buttonRow({w(f.ctisoub), w(f.Ulosoub)}));

    QGroupBox* note = section(page);
    auto* nl = new QVBoxLayout(note);
    nl->addWidget(heading(f.LabUzPozn));
    nl->addWidget(w(f.EditUzPozn));
    nl->addLayout(buttonRow({w(f.Prec_Pozn), w(f.Uloz_Pozn)}));

    QGroupBox* reference = section(page);
    auto* rl = new QVBoxLayout(reference);
    rl->addWidget(heading(f.Label18));
    rl->addWidget(w(f.Bevel3));
    rl->addLayout(buttonRow({w(f.S_Dolmez), w(f.S_Hormez)}));

    auto* brand = new QVBoxLayout;
    brand->addWidget(w(f.ImageTV), 0, Qt::AlignHCenter);
    brand->addWidget(w(f.Label5), 0, Qt::AlignHCenter);
    brand->addWidget(w(f.Firma), 0, Qt::AlignHCenter);
    brand->addWidget(w(f.Label80), 0, Qt::AlignHCenter);
    brand->addLayout(buttonRow({w(f.ButtonTV), w(f.ButtonLMX)}));

    auto* right = new QVBoxLayout;
    right->addWidget(transfer);
    right->addWidget(file);
    right->addWidget(note);
    right->addWidget(reference);
    right->addStretch();
    right->addLayout(brand);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addSpacing(8);
    columns->addLayout(right, 2);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addLayout(columns, 1);
    return w(f.TabSheet1);
}

QWidget* MainWindow::buildRelayPage() {
    config::MainForm& f = model_.form;
    QWidget* page = body(f.TabSheet2);
    auto* grid = new QGridLayout(page);
    for (int k = 0; k < 4; ++k) {
        config::ComparatorGroup& c = *f.Komparator[static_cast<std::size_t>(k)];
        QGroupBox* box = section(page);
        auto* g = new QGridLayout(box);
        g->addWidget(heading(c.heading), 0, 0, 1, 3);
        g->addWidget(w(c.PovolKompar), 1, 0, 1, 3);
        addRow(g, 2, w(c.labMezsep), w(c.EMezsep), w(c.unitMezsep));
        addRow(g, 3, w(c.labMezroz), w(c.EMezroz), w(c.unitMezroz));
        g->addWidget(w(c.labZpozdeni), 4, 0, 1, 3);
        addRow(g, 5, w(c.labZpoSep), w(c.EZpoSep), w(c.unitZpoSep));
        addRow(g, 6, w(c.labZpoRoz), w(c.EZpoRoz), w(c.unitZpoRoz));
        // "sepnutí" and "rozepnutí" read as the two kinds of "Zpoždění".
        static_cast<QLabel*>(w(c.labZpoSep))->setIndent(16);
        static_cast<QLabel*>(w(c.labZpoRoz))->setIndent(16);
        addRow(g, 7, w(c.labRezim), w(c.RezimRele));
        static_cast<QComboBox*>(w(c.RezimRele))->setMinimumWidth(kNumberFieldWidth);
        addButtons(g, 8, 0, {w(c.Preckomp), w(c.Ulozkomp)});
        grid->addWidget(box, k / 2, k % 2);
    }
    grid->setRowStretch(2, 1);
    return w(f.TabSheet2);
}

QWidget* MainWindow::buildOutputPage() {
    config::MainForm& f = model_.form;
    QWidget* page = body(f.TabSheet3);
    QGroupBox* box = section(page);
    auto* g = new QGridLayout(box);
    g->addWidget(heading(f.LabVystRozsah), 0, 0, 1, 3);
    addRow(g, 1, w(f.LabLoLimDA), w(f.EdLoLimDA), w(f.Label23));
    addRow(g, 2, w(f.LabHiLimDA), w(f.EdHiLimDA), w(f.Label26));
    g->addWidget(w(f.LabJenAnalog), 3, 0, 1, 3);
    addButtons(g, 4, 0, {w(f.Button2), w(f.Button3)});

    auto* layout = new QGridLayout(page);
    layout->addWidget(box, 0, 0);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(1, 1);
    return w(f.TabSheet3);
}

QWidget* MainWindow::buildPortPage() {
    config::MainForm& f = model_.form;
    QWidget* page = body(f.TabSheet5);
    QGroupBox* others = section(page);
    auto* ol = new QVBoxLayout(others);
    ol->addWidget(heading(f.LabDalsiPorty));
    ol->addWidget(w(f.DalsiPorty));
    w(f.DalsiPorty)->setMinimumWidth(kListWidth);
    ol->addLayout(buttonRow({w(f.NajitPrevodnik)}));

    auto* layout = new QGridLayout(page);
    layout->addWidget(w(f.SetCom), 0, 0);
    layout->addWidget(others, 0, 1);
    layout->addWidget(w(f.RychlyPrenos), 1, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(2, 1);
    return w(f.TabSheet5);
}

QWidget* MainWindow::buildInfoPage() {
    config::MainForm& f = model_.form;
    QWidget* page = body(f.TabSheet6);

    QGroupBox* seat = section(page);
    auto* sl = new QVBoxLayout(seat);
    sl->addWidget(heading(f.LabFirmPlace));
    for (Control* c :
         {static_cast<Control*>(&f.LabFirmName1), static_cast<Control*>(&f.LabAdrFirmPlace1),
          static_cast<Control*>(&f.LabPostCodeCity1)})
        sl->addWidget(w(*c));
    sl->addStretch();

    QGroupBox* work = section(page);
    auto* wl = new QVBoxLayout(work);
    wl->addWidget(heading(f.LabWork));
    for (Control* c :
         {static_cast<Control*>(&f.LabFirmName2), static_cast<Control*>(&f.LabAdrFirmPlace2),
          static_cast<Control*>(&f.LabPostCodeCity2)})
        wl->addWidget(w(*c));
    wl->addStretch();

    QGroupBox* contact = section(page);
    auto* cl = new QVBoxLayout(contact);
    for (Control* c : {static_cast<Control*>(&f.LabTelNr), static_cast<Control*>(&f.LabFaxNr),
                       static_cast<Control*>(&f.LabMobNr), static_cast<Control*>(&f.LabEmail),
                       static_cast<Control*>(&f.LabWWWPage)})
        cl->addWidget(w(*c));
    cl->addStretch();

    auto* layout = new QGridLayout(page);
    layout->addWidget(w(f.ImageLMX), 0, 0, 1, 2, Qt::AlignLeft);
    layout->addWidget(seat, 1, 0);
    layout->addWidget(work, 1, 1);
    layout->addWidget(contact, 2, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(3, 1);
    return w(f.TabSheet6);
}

QWidget* MainWindow::buildMeasurementPage() {
    config::MainForm& f = model_.form;
    QWidget* page = body(f.TabSheet4);

    QGroupBox* single = section(page);
    auto* sg = new QGridLayout(single);
    sg->addWidget(heading(f.LabHlavniVelicina), 0, 0, 1, 3);
    addButtons(sg, 1, 0, {w(f.ButMeasPV)});
    addRow(sg, 2, w(f.LabNamerenaHodnota), w(f.ZoZmHodn));

    QGroupBox* continuous = section(page);
    auto* cg = new QGridLayout(continuous);
    cg->addWidget(heading(f.LabKontinualni), 0, 0, 1, 3);
    addButtons(cg, 1, 0, {w(f.Start_Mer), w(f.Stop_mer)});
    addRow(cg, 2, w(f.LabOdeslano), w(f.EdSend));
    addRow(cg, 3, w(f.LabPrijato), w(f.EdReceive));
    // Room for a whole "ReadPV" reply, 18 bytes of two of the widest digits and a blank, with the
    // frame and the text margins.
    for (config::Edit* traffic : {&f.EdSend, &f.EdReceive}) {
        QWidget* edit = w(*traffic);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(u"DD "_s.repeated(18)) + 12);
    }

    alignLabelColumns({sg, cg});

    auto* layout = new QGridLayout(page);
    layout->addWidget(single, 0, 0);
    layout->addWidget(continuous, 1, 0);
    // Continuous measurement draws its trend below both groups, in the rest of the page.
    trend_ = new TrendChart(model_.measurement().trend(), prompts_, page);
    layout->addWidget(trend_, 2, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(2, 1);
    return w(f.TabSheet4);
}

QWidget* MainWindow::buildBackupPage() {
    config::MainForm& f = model_.form;
    QWidget* page = body(f.TabSheet7);

    QGroupBox* backup = section(page);
    auto* bl = new QVBoxLayout(backup);
    bl->addWidget(heading(f.LabZaloha));
    bl->addLayout(buttonRow({w(f.Zalohovat), w(f.Obnovit)}));
    bl->addLayout(buttonRow({w(f.Porovnat)}));

    QGroupBox* write = section(page);
    auto* wg = new QGridLayout(write);
    wg->addWidget(heading(f.LabZapis), 0, 0, 1, 3);
    wg->addWidget(w(f.ZalohaPredZapisem), 1, 0, 1, 3);
    wg->addWidget(w(f.LabSlozkaZaloh), 2, 0);
    wg->addWidget(w(f.SlozkaZaloh), 2, 1);
    wg->addWidget(w(f.VybratSlozku), 2, 2);
    w(f.SlozkaZaloh)->setMinimumWidth(kListWidth);
    static_cast<QLabel*>(w(f.LabSlozkaZaloh))->setIndent(16);
    wg->addWidget(w(f.OveritZapis), 3, 0, 1, 3);
    wg->setColumnStretch(1, 1);

    auto* layout = new QGridLayout(page);
    layout->addWidget(backup, 0, 0);
    layout->addWidget(write, 1, 0);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(2, 1);
    return w(f.TabSheet7);
}

void MainWindow::sync() {
    const bool busy = model_.busy() || model_.operationRunning();
    if (busy && !busyShown_)
        focusBefore_ = focusParked_ = focusWidget();
    QWidget* const focusBeforeSync = focusWidget();
    binder_->sync();
    // A disabled control hands the focus on to the next one that takes it.
    if (busy && focusWidget() != focusBeforeSync)
        focusParked_ = focusWidget();
    // Back where it was, unless the user has moved it meanwhile or a handler asked for a field.
    if (!busy && busyShown_ && focusWidget() == focusParked_ && !binder_->focusRequested() &&
        focusBefore_ && focusBefore_ != focusWidget() && focusBefore_->isVisible() &&
        focusBefore_->isEnabled())
        binder_->giveFocus(focusBefore_);
    busyShown_ = busy;
    for (QGroupBox* frame : sections_) {
        bool shown = false;
        for (QWidget* child : frame->findChildren<QWidget*>()) {
            const Control* c = binder_->controlOf(child);
            if (c && c->kind != ControlKind::Bevel && !child->isHidden()) {
                shown = true;
                break;
            }
        }
        if (frame->isHidden() == shown)
            frame->setHidden(!shown);
    }
    if (windowTitle() != model_.form.caption)
        setWindowTitle(model_.form.caption);
    // While the page control switches pages, its tab has moved on and its page not yet: a handler
    // run as the focus leaves the old page must not turn the tab back under it.
    const bool switching = tabs_->indexOf(tabs_->currentWidget()) != tabs_->currentIndex();
    // "Provoz" is the window's own page, of which the model knows nothing.
    const bool ownPage = tabs_->currentIndex() >= static_cast<int>(model_.form.pages().size());
    if (!switching && !ownPage && tabs_->currentIndex() != model_.form.activePage) {
        const QSignalBlocker block(tabs_);
        tabs_->setCurrentIndex(model_.form.activePage);
    }
    dialog_->sync();
    sensorDialog_->sync();
    trend_->refresh();
    if (plotRequests_ != model_.linPreview().plotRequests) {
        plotRequests_ = model_.linPreview().plotRequests;
        if (!plot_)
            plot_ = new DeviationPlot(model_.linPreview(), this);
        plot_->refresh();
        plot_->show();
        plot_->raise();
    }
    if (comparisons_ != model_.backupPage().comparisons()) {
        comparisons_ = model_.backupPage().comparisons();
        if (!compare_)
            compare_ = new CompareDialog(model_.backupPage(), this);
        compare_->refresh();
        compare_->show();
        compare_->raise();
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const bool tabClick =
        watched == tabs_->tabBar() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick);
    bool tabKey = false;
    if (watched == tabs_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        tabKey = (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
                 (key->modifiers() & Qt::ControlModifier);
        // The field leaves before the page goes, as for a click on the tab.
        if (tabKey && QApplication::focusWidget() != tabs_->tabBar())
            tabs_->tabBar()->setFocus(Qt::TabFocusReason);
    }
    // The press took the focus to the tabs (the key above): when that failed the field's check,
    // the page stays and the focus goes back to the field.
    if ((tabClick || tabKey) && binder_->clickCancelled()) {
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeIfPending() {
    if (!closePending_ || model_.busy() || binder_->handlerRunning())
        return;
    closePending_ = false;
    QTimer::singleShot(0, this, &QWidget::close);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A transaction (or the handler around it) still waits in its event loop: close when it
    // has ended.
    if (model_.busy() || binder_->handlerRunning()) {
        closePending_ = true;
        event->ignore();
        return;
    }
    // No tick may start a measurement for a window that has gone.
    model_.measurement().Stop_merClick();
    event->accept();
}

QRect FitWindow(QSize natural, QSize minimum, QMargins frame, QRect available) {
    const QSize size = natural.boundedTo(available.size().shrunkBy(frame)).expandedTo(minimum);
    QRect outer(QPoint(), size.grownBy(frame));
    outer.moveCenter(available.center());
    outer.moveTopLeft(
        {std::max(outer.left(), available.left()), std::max(outer.top(), available.top())});
    return outer.marginsRemoved(frame);
}

QMargins MainWindow::frameMargins(bool* known) const {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QMargins margins(inner.left() - outer.left(), inner.top() - outer.top(),
                           outer.right() - inner.right(), outer.bottom() - inner.bottom());
    *known = !margins.isNull();
    // At a fractional scale the frame's device pixels round to fewer of ours.
    const qreal scale = devicePixelRatioF();
    if (*known)
        return scale == std::floor(scale) ? margins : margins + QMargins(1, 1, 1, 1);
    // Roughly a title bar and thin borders; the real frame corrects it after the window is shown.
    const int border = 4;
    return {border, style()->pixelMetric(QStyle::PM_TitleBarHeight) + border, border, border};
}

void MainWindow::fitOnScreen() {
    const QScreen* s = screen();
    if (!s)
        return;
    bool known = false;
    const QMargins frame = frameMargins(&known);
    refitPending_ = !known;
    const QRect client = FitWindow(natural_, minimumSizeHint(), frame, s->availableGeometry());
    resize(client.size());
    // A window's position is that of its frame.
    move(client.topLeft() - QPoint(frame.left(), frame.top()));
}

bool MainWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // Once the system has framed the window (it moves, or becomes active), it is fitted again
    // with the real frame.
    const bool framed = event->type() == QEvent::Move || event->type() == QEvent::WindowActivate;
    if (framed && refitPending_ && isVisible() && frameGeometry() != geometry())
        fitOnScreen();
    return handled;
}

void MainWindow::addTrafficPage(config::TrafficLog& log) {
    tabs_->addTab(new TrafficPage(log, prompts_), u"Provoz"_s);
}

}  // namespace veld::ui
