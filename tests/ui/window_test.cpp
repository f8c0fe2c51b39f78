// Smoke tests of the main window through its real widgets: the widgets mirror the model, user
// events reach its handlers, message boxes and focus behave as the user expects. The rules
// themselves are tested on the model.

#include "window_world.h"

#include "ui/control_binder.h"
#include "ui/lin_dialog_view.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using namespace veld;
using config::Control;
using config::ControlKind;
using ui::test::BoxAnswerer;
using ui::test::settleLayouts;
using ui::test::World;

namespace {

const QString kBeginBelowK =
    u"Dolní hodnota rozsahu musí být v intervalu -200.000 až 1370.000 °C"_s;

QStringList itemsOf(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->itemText(i));
    return items;
}

// The first control whose widget does not show what the control holds; empty when all agree.
QString firstMismatch(World& world) {
    std::vector<Control*> controls = world.model.form.controls();
    for (Control* c : world.model.dialog.controls())
        controls.push_back(c);
    for (Control* c : controls) {
        const QList<QWidget*> found = world.window.findChildren<QWidget*>(c->name);
        if (found.size() != 1)
            return c->name + u": %1 widgets"_s.arg(found.size());
        QWidget* w = found.first();
        const auto differs = [&](const QString& what) { return c->name + u": "_s + what; };
        if (c->kind == ControlKind::TabSheet) {
            const int index = world.window.pageIndex(*c);
            if (world.window.pages().tabText(index) != static_cast<config::TabSheet*>(c)->caption)
                return differs(u"caption"_s);
            if (world.window.pages().isTabVisible(index) != c->visible)
                return differs(u"visible"_s);
            continue;
        }
        if (w->isHidden() == c->visible)
            return differs(u"visible"_s);
        if (w->isEnabled() != c->enabled)
            return differs(u"enabled"_s);
        switch (c->kind) {
            case ControlKind::Label:
                if (static_cast<QLabel*>(w)->text() != static_cast<config::Label*>(c)->caption)
                    return differs(u"caption"_s);
                break;
            case ControlKind::Button:
                if (static_cast<QPushButton*>(w)->text() !=
                    static_cast<config::Button*>(c)->caption)
                    return differs(u"caption"_s);
                break;
            case ControlKind::CheckBox:
                if (static_cast<QCheckBox*>(w)->isChecked() !=
                    static_cast<config::CheckBox*>(c)->checked)
                    return differs(u"checked"_s);
                break;
            case ControlKind::Edit:
            case ControlKind::MaskedEdit:
                if (static_cast<QLineEdit*>(w)->text() != static_cast<config::Edit*>(c)->text())
                    return differs(u"text"_s);
                break;
            case ControlKind::ComboBox: {
                auto* list = static_cast<QComboBox*>(w);
                auto* control = static_cast<config::ComboBox*>(c);
                if (list->currentText() != control->text)
                    return differs(u"text"_s);
                if (itemsOf(list) != control->items)
                    return differs(u"items"_s);
                if (!list->isEditable())
                    return differs(u"not editable"_s);
                break;
            }
            case ControlKind::RadioGroup: {
                auto* group = static_cast<config::RadioGroup*>(c);
                auto* box = static_cast<QGroupBox*>(w);
                if (box->title() != group->caption)
                    return differs(u"caption"_s);
                if (box->findChild<QButtonGroup*>()->checkedId() != group->itemIndex)
                    return differs(u"item"_s);
                break;
            }
            case ControlKind::ListBox: {
                auto* list = static_cast<QListWidget*>(w);
                auto* control = static_cast<config::ListBox*>(c);
                if (list->count() != control->items.size() ||
                    list->currentRow() != control->itemIndex)
                    return differs(u"items"_s);
                break;
            }
            case ControlKind::ProgressBar:
                if (static_cast<QProgressBar*>(w)->value() !=
                    static_cast<config::ProgressBar*>(c)->position)
                    return differs(u"position"_s);
                break;
            case ControlKind::StringGrid: {
                auto* grid = static_cast<config::StringGrid*>(c);
                auto* table = static_cast<QTableWidget*>(w);
                for (int row = 1; row < grid->rowCount(); ++row)
                    for (int column = 0; column < grid->columnCount(); ++column) {
                        const QTableWidgetItem* item = table->item(row - 1, column);
                        if ((item ? item->text() : QString()) != grid->cell(column, row))
                            return differs(u"cell"_s);
                    }
                break;
            }
            default:
                break;
        }
    }
    return {};
}

QString writePoints(const QTemporaryDir& dir) {
    return ui::test::writePoints(dir, u"body.txt"_s, 3);
}

// How many colours a picture uses, counted up to `enough`.
int coloursIn(const QImage& picture, int enough) {
    QSet<QRgb> seen;
    for (int y = 0; y < picture.height() && seen.size() < enough; y += 3)
        for (int x = 0; x < picture.width() && seen.size() < enough; x += 3)
            seen.insert(picture.pixel(x, y));
    return static_cast<int>(seen.size());
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void startState_everyControlMirroredOnItsPage();
    void typedBeginning_completesToTheFirstMatchingItem();
    void typedListText_checkedOnLeavingTheList();
    void chosenType_updatesDependentWidgets();
    void beginBelowLimit_messageThenFocusBackInBegin();
    void beginBelowLimit_realBoxWithOkButton();
    void beginBelowLimit_clickThatLeftTheFieldIsDropped();
    void focusRequest_bringsTheFieldsPageToTheFront();
    void questionBox_answersWithAnoAndNe();
    void fileFilter_convertedToQtFilter_data();
    void fileFilter_convertedToQtFilter();
    void openDialog_startsInTheRequestedFolder();
    void linearizationFile_dialogFollowsTheModel();
    void runningTransaction_disablesStartersAndDefersClosing();
    void screenshots_ofEveryPageAndTheDialog();
};

void WindowTest::startState_everyControlMirroredOnItsPage() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    QCOMPARE(firstMismatch(world), QString());

    QCOMPARE(world.window.windowTitle(), u"Ovládací program TERVOS - VELD"_s);
    QTabWidget& tabs = world.window.pages();
    QStringList captions;
    for (int i = 0; i < tabs.count(); ++i)
        captions.append(tabs.tabText(i));
    QCOMPARE(captions, QStringList({u"Konfigurace vstupu"_s, u"Relé"_s, u"Konf. an. výstupu"_s,
                                    u"Komunikace"_s, u"Informace"_s, u"Měření"_s}));
    QCOMPARE(tabs.currentIndex(), 0);
    // Each control sits on its own page.
    for (config::TabSheet* page : world.model.form.pages())
        for (Control* c : page->children)
            QVERIFY2(tabs.widget(world.window.pageIndex(*page))
                         ->isAncestorOf(world.find<QWidget>(c->name)),
                     qPrintable(c->name));
    // All six tabs are readable side by side.
    QVERIFY(tabs.tabBar()->sizeHint().width() <= tabs.width());
    QCOMPARE(world.find<QComboBox>(u"Vstup"_s)->maxVisibleItems(), 21);
    QCOMPARE(world.find<QLineEdit>(u"EditUzPozn"_s)->maxLength(), 60);
}

void WindowTest::typedBeginning_completesToTheFirstMatchingItem() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    auto* type = world.find<QComboBox>(u"Vstup"_s);

    QTest::keyClicks(type, u"t"_s);
    QCOMPARE(world.model.form.Vstup.text, u"termočlánek B"_s);
    QCOMPARE(type->currentText(), u"termočlánek B"_s);
    // The completed part stays selected, so typing on replaces it.
    QCOMPARE(type->lineEdit()->selectedText(), u"ermočlánek B"_s);
    QCOMPARE(firstMismatch(world), QString());
}

void WindowTest::typedListText_checkedOnLeavingTheList() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    auto* fault = world.find<QComboBox>(u"Chybproud"_s);
    fault->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(fault->hasFocus());
    fault->lineEdit()->selectAll();
    QTest::keyClicks(fault, u"xyz"_s);
    QCOMPARE(world.model.form.Chybproud.text, u"xyz"_s);

    QTest::keyClick(fault, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), fault);
    QCOMPARE(script.messages, QStringList({u"Špatně zadaná volba chybového proudu"_s}));
    QCOMPARE(fault->currentText(), QString());
    QCOMPARE(firstMismatch(world), QString());
}

void WindowTest::chosenType_updatesDependentWidgets() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    // What each type shows is the model's business; here the widgets must follow it.
    for (const QString& type : {u"termočlánek K"_s, u"potenciometr"_s}) {
        world.choose(u"Vstup"_s, type);
        QCOMPARE(world.model.form.Vstup.text, type);
        QCOMPARE(firstMismatch(world), QString());
    }
    QVERIFY(!world.find<QComboBox>(u"PripCidl"_s)->isHidden());
    QCOMPARE(itemsOf(world.find<QComboBox>(u"PripCidl"_s)),
             QStringList({u"třívodičově"_s, u"čtyřvodičově"_s}));
}

void WindowTest::beginBelowLimit_messageThenFocusBackInBegin() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    world.choose(u"Vstup"_s, u"termočlánek K"_s);
    // The end holds a wrong value too: leaving it because the focus goes back to the begin must
    // not check it, or the two fields would send the focus to and fro.
    world.model.form.Konec.setText(u"5000"_s);
    world.model.notifyChanged();

    auto* begin = world.find<QLineEdit>(u"Pocatek"_s);
    begin->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(begin->hasFocus());
    QTest::keyClicks(begin, u"-300"_s);
    QCOMPARE(world.model.form.Pocatek.text(), u"-300"_s);
    QVERIFY(script.messages.isEmpty());

    QTest::keyClick(begin, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), begin);
    QCOMPARE(script.messages, QStringList({kBeginBelowK}));
    QCOMPARE(script.focused, QStringList({u"Pocatek"_s}));
    QVERIFY(world.model.state.BeginOutOfRange);
    QCOMPARE(begin->selectedText(), u"-300"_s);
    QCOMPARE(world.find<QLineEdit>(u"EdLoLimDA"_s)->text(), u"-300"_s);
    QCOMPARE(firstMismatch(world), QString());
}

void WindowTest::beginBelowLimit_realBoxWithOkButton() {
    ui::QtPrompts dialogs(u"VELD"_s);
    World world(dialogs);
    QVERIFY(world.show());
    world.choose(u"Vstup"_s, u"termočlánek K"_s);
    auto* begin = world.find<QLineEdit>(u"Pocatek"_s);
    begin->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(begin->hasFocus());
    QTest::keyClicks(begin, u"-300"_s);

    BoxAnswerer user(u"OK"_s);
    QTest::keyClick(begin, Qt::Key_Tab);
    // The window gets its focus back when it is active again.
    QTRY_COMPARE(world.window.focusWidget(), begin);
    world.window.activateWindow();
    QTRY_COMPARE(QApplication::focusWidget(), begin);
    // The box taking the focus is not the user leaving the field: one box only.
    QCOMPARE(user.texts, QStringList({kBeginBelowK}));
    QCOMPARE(user.buttons, QList<QStringList>({{u"OK"_s}}));
}

void WindowTest::beginBelowLimit_clickThatLeftTheFieldIsDropped() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    world.choose(u"Vstup"_s, u"termočlánek K"_s);
    int reads = 0;
    world.model.form.Precist.onClick = [&reads] { ++reads; };
    auto* begin = world.find<QLineEdit>(u"Pocatek"_s);
    begin->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(begin->hasFocus());
    QTest::keyClicks(begin, u"-300"_s);

    auto* read = world.find<QPushButton>(u"Precist"_s);
    QTest::mouseClick(read, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), begin);
    QCOMPARE(script.messages, QStringList({kBeginBelowK}));
    QCOMPARE(reads, 0);

    // With a valid begin the same click goes through.
    begin->selectAll();
    QTest::keyClicks(begin, u"0"_s);
    QTest::mouseClick(read, Qt::LeftButton);
    QCOMPARE(reads, 1);
    QCOMPARE(script.messages.size(), 1);
}

void WindowTest::focusRequest_bringsTheFieldsPageToTheFront() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    world.choose(u"Vstup"_s, u"termočlánek K"_s);
    auto* end = world.find<QLineEdit>(u"Konec"_s);
    end->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(end->hasFocus());
    QTest::keyClicks(end, u"5000"_s);

    world.prompts.focus(u"EMezsep1"_s);
    auto* limit = world.find<QLineEdit>(u"EMezsep1"_s);
    QTRY_COMPARE(QApplication::focusWidget(), limit);
    QCOMPARE(world.window.pages().currentIndex(),
             world.window.pageIndex(world.model.form.TabSheet2));
    QCOMPARE(world.model.form.activePage, world.window.pages().currentIndex());
    // Moving the focus for the model is not the user leaving the end field.
    QVERIFY(script.messages.isEmpty());
}

void WindowTest::questionBox_answersWithAnoAndNe() {
    ui::QtPrompts dialogs(u"VELD"_s);
    const QString text = u"Opravdu se má zapsat konfigurace ?"_s;
    {
        BoxAnswerer user(u"Ne"_s);
        QVERIFY(!dialogs.question(text));
        QCOMPARE(user.texts, QStringList({text}));
        QCOMPARE(user.buttons, QList<QStringList>({{u"Ano"_s, u"Ne"_s}}));
    }
    BoxAnswerer user(u"Ano"_s);
    QVERIFY(dialogs.question(text));
}

void WindowTest::fileFilter_convertedToQtFilter_data() {
    QTest::addColumn<QString>("pipe");
    QTest::addColumn<QString>("qt");
    QTest::newRow("text and all") << u"*.txt|*.txt|*.*|*.*"_s << u"*.txt (*.txt);;*.* (*)"_s;
    QTest::newRow("two patterns") << u"Body|*.txt;*.dat"_s << u"Body (*.txt *.dat)"_s;
    QTest::newRow("none") << QString() << QString();
    QTest::newRow("caption without pattern") << u"*.txt"_s << QString();
}

void WindowTest::fileFilter_convertedToQtFilter() {
    QFETCH(QString, pipe);
    QFETCH(QString, qt);
    QCOMPARE(ui::QtFileFilter(pipe), qt);
}

void WindowTest::openDialog_startsInTheRequestedFolder() {
    QTemporaryDir dir;
    ui::QtPrompts dialogs(u"VELD"_s);
    QString folder;
    QString title;
    QStringList filters;
    QTimer user;
    user.setInterval(0);
    connect(&user, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        folder = dialog->directory().absolutePath();
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        dialog->reject();
    });
    user.start();
    const auto chosen =
        dialogs.openFile({u"Linearizační soubor"_s, u"*.txt|*.txt|*.*|*.*"_s, dir.path(), {}});
    QVERIFY(!chosen);
    QCOMPARE(folder, QDir(dir.path()).absolutePath());
    QCOMPARE(title, u"Linearizační soubor"_s);
    QCOMPARE(filters, QStringList({u"*.txt (*.txt)"_s, u"*.* (*)"_s}));
}

void WindowTest::linearizationFile_dialogFollowsTheModel() {
    QTemporaryDir dir;
    const QString points = writePoints(dir);
    QVERIFY(!points.isEmpty());
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    world.choose(u"Vstup"_s, u"termočlánek K"_s);

    script.fileAnswers.append(points);
    world.choose(u"Linearizace"_s, u"ze souboru"_s);
    ui::LinDialogView& dialog = world.window.linDialog();
    QTRY_VERIFY(dialog.isVisible());
    QCOMPARE(dialog.windowModality(), Qt::ApplicationModal);
    QCOMPARE(dialog.windowTitle(), u"Hodnoty linearizačního souboru"_s);
    auto* grid = world.find<QTableWidget>(u"StringGrid1"_s);
    QCOMPARE(grid->horizontalHeaderItem(0)->text(), u"Naměřená vstupní hodnota"_s);
    QCOMPARE(grid->horizontalHeaderItem(1)->text(), u"Požadovaná hodnota po linearizaci"_s);
    QCOMPARE(grid->item(1, 1)->text(), world.model.dialog.StringGrid1.cell(1, 2));
    QVERIFY(world.find<QComboBox>(u"stup_p"_s)->isHidden());

    // The polynomial brings the degree in, reduced to the number of points.
    auto* method = world.find<QGroupBox>(u"Zpus_lin"_s);
    QRadioButton* polynomial = method->findChildren<QRadioButton*>().constFirst();
    // On the button's circle: a radio button reacts only on its circle and its text.
    QTest::mouseClick(polynomial, Qt::LeftButton, {}, QPoint(8, polynomial->height() / 2));
    QCOMPARE(world.model.dialog.Zpus_lin.itemIndex, 0);
    QVERIFY(!world.find<QComboBox>(u"stup_p"_s)->isHidden());
    QCOMPARE(world.find<QComboBox>(u"stup_p"_s)->currentText(), u"3"_s);
    QCOMPARE(firstMismatch(world), QString());

    QTest::mouseClick(world.find<QPushButton>(u"OK"_s), Qt::LeftButton);
    QVERIFY(!world.model.dialog.visible);
    QTRY_VERIFY(!dialog.isVisible());
    QVERIFY(script.messages.isEmpty());

    // Another linearization and the file again, then the close box: the model closes the
    // dialog.
    world.choose(u"Linearizace"_s, u"linearizováno"_s);
    script.fileAnswers.append(points);
    world.choose(u"Linearizace"_s, u"ze souboru"_s);
    QTRY_VERIFY(dialog.isVisible());
    dialog.close();
    QVERIFY(!world.model.dialog.visible);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(firstMismatch(world), QString());
}

void WindowTest::runningTransaction_disablesStartersAndDefersClosing() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    auto* write = world.find<QPushButton>(u"Poslat"_s);
    QVERIFY(write->isEnabled());

    world.model.setBusy(true);
    for (const QString& name :
         {u"Poslat"_s, u"Precist"_s, u"Prec_Pozn"_s, u"Ulozkomp3"_s, u"Button3"_s})
        QVERIFY2(!world.find<QWidget>(name)->isEnabled(), qPrintable(name));
    QVERIFY(world.find<QLineEdit>(u"Tlumeni"_s)->isEnabled());
    QVERIFY(world.find<QComboBox>(u"Vstup"_s)->isEnabled());
    QVERIFY(world.model.form.Poslat.enabled);  // the model is not touched

    world.window.close();
    QCoreApplication::processEvents();
    QVERIFY(world.window.isVisible());

    world.model.setBusy(false);
    QVERIFY(write->isEnabled());
    QTRY_VERIFY(!world.window.isVisible());
}

void WindowTest::screenshots_ofEveryPageAndTheDialog() {
    const QString folder = QString::fromUtf8(VELD_SCREENSHOT_DIR);
    QVERIFY(QDir().mkpath(folder));
    QTemporaryDir dir;
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    // A resistance thermometer shows the most of the input page.
    world.choose(u"Vstup"_s, u"odporový teploměr Pt100"_s);
    world.choose(u"PripCidl"_s, u"třívodičově"_s);
    QTabWidget& tabs = world.window.pages();
    QTabBar* bar = tabs.tabBar();
    const qreal ratio = world.window.devicePixelRatio();
    // Where tab i and the page area lie in a picture of the window.
    const auto inPicture = [&](QWidget* widget, QRect area) {
        return QRect(QPointF(widget->mapTo(&world.window, area.topLeft()) * ratio).toPoint(),
                     (QSizeF(area.size()) * ratio).toSize());
    };
    std::vector<QImage> pictures;
    for (int i = 0; i < tabs.count(); ++i) {
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
        settleLayouts();
        // The picture shows the page the tab and the model name.
        QCOMPARE(bar->currentIndex(), i);
        QCOMPARE(tabs.currentWidget(), tabs.widget(i));
        QVERIFY(tabs.widget(i)->isVisible());
        QCOMPARE(world.model.form.activePage, i);
        const QImage picture = world.window.grab().toImage();
        QCOMPARE(picture.size(), (QSizeF(world.window.size()) * ratio).toSize());
        QVERIFY2(coloursIn(picture, 16) >= 16, "a picture of few colours: nothing drawn");
        QVERIFY(picture.save(folder + u"/page-%1.png"_s.arg(i + 1)));
        pictures.push_back(picture);
    }
    const QRect pageArea = inPicture(tabs.currentWidget(), tabs.currentWidget()->rect());
    for (int i = 0; i < tabs.count(); ++i) {
        const int other = (i + 1) % tabs.count();
        // Each page looks like itself, and its tab is drawn as the chosen one only in its own
        // picture.
        QVERIFY2(pictures[i].copy(pageArea) != pictures[other].copy(pageArea),
                 qPrintable(bar->tabText(i)));
        const QRect tab = inPicture(bar, bar->tabRect(i));
        QVERIFY2(pictures[i].copy(tab) != pictures[other].copy(tab), qPrintable(bar->tabText(i)));
    }

    // A voltage with its divider, and a unit of its own for a file linearization.
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    world.choose(u"Vstup"_s, u"napětí"_s);
    script.fileAnswers.append(writePoints(dir));
    world.choose(u"Linearizace"_s, u"ze souboru"_s);
    QTRY_VERIFY(world.window.linDialog().isVisible());
    settleLayouts();
    const QImage voltage = world.window.grab().toImage();
    QVERIFY(voltage.copy(pageArea) != pictures[0].copy(pageArea));
    QVERIFY(voltage.save(folder + u"/page-1-voltage.png"_s));
    const QImage dialog = world.window.linDialog().grab().toImage();
    QCOMPARE(dialog.size(), (QSizeF(world.window.linDialog().size()) * ratio).toSize());
    QVERIFY(coloursIn(dialog, 8) >= 8);
    QVERIFY(dialog.save(folder + u"/dialog.png"_s));
    qInfo("screenshots in %s", qPrintable(folder));
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
