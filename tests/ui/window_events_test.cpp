// Events between Qt's widgets and the model that the model's own tests cannot see: page
// switching, lists that change only when the user changes them, the points dialog, and the
// sizes and folders of the dialogs.

#include "window_world.h"

#include "ui/control_binder.h"
#include "ui/lin_dialog_view.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QWheelEvent>

using namespace Qt::Literals::StringLiterals;
using namespace veld;
using ui::test::BoxAnswerer;
using ui::test::World;

namespace {

const QString kBeginBelowPt =
    u"Dolní hodnota rozsahu musí být v intervalu -200.000 až 850.000 °C"_s;
const QString kSegmentsMax = u"Maximální počet bodů pro linearizaci metodou "_s +
                             u"proložení lineárními přímkami v zadaných bodech je 21."_s;

// How the user brings another page to the front.
enum class PageWay { TabClick, CtrlTab };

void showPage(World& world, PageWay way, int index) {
    QTabBar* bar = world.window.pages().tabBar();
    if (way == PageWay::TabClick) {
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    } else {
        QWidget* from = QApplication::focusWidget();
        QTest::keyClick(from ? from : &world.window, Qt::Key_Tab, Qt::ControlModifier);
    }
}

// Empty when the highlighted tab, the page shown and the model's active page are all `index`.
QString pageMismatch(World& world, int index) {
    QTabWidget& tabs = world.window.pages();
    QString wrong;
    if (tabs.tabBar()->currentIndex() != index)
        wrong += u"tab %1 "_s.arg(tabs.tabBar()->currentIndex());
    if (tabs.indexOf(tabs.currentWidget()) != index || !tabs.widget(index)->isVisible())
        wrong += u"page %1 "_s.arg(tabs.indexOf(tabs.currentWidget()));
    if (world.model.form.activePage != index)
        wrong += u"model %1"_s.arg(world.model.form.activePage);
    return wrong;
}

void typeInto(QWidget* field, const QString& text) {
    field->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(field->hasFocus());
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
    QTest::keyClicks(field, text);
}

// One notch of the wheel over the middle of the widget.
void wheel(QWidget* widget) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent event(at, widget->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

QRadioButton* methodButton(World& world, int index) {
    return world.find<QGroupBox>(u"Zpus_lin"_s)->findChildren<QRadioButton*>().at(index);
}

void clickMethod(World& world, int index) {
    QRadioButton* button = methodButton(world, index);
    // On the button's circle: a radio button reacts only on its circle and its text.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

}  // namespace

class WindowEventsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pageChange_tabPageAndModelAgree_data();
    void pageChange_tabPageAndModelAgree();
    void refusedField_keepsItsPageAndGetsTheFocusBack_data();
    void refusedField_keepsItsPageAndGetsTheFocusBack();
    void chosenItemPickedAgain_runsNoHandler();
    void wheelOverUnfocusedList_changesNothing();
    void clickOnListAfterRefusedField_opensNoPopup();
    void anotherPointFile_shownFromTheTop();
    void closingThePointsDialog_checksAsOk_data();
    void closingThePointsDialog_checksAsOk();
    void chosenMethodClickedAgain_keepsTheDegree();
    void totalValueRow_captionedByType_data();
    void totalValueRow_captionedByType();
    void dampingNotANumber_oneMessage();
    void messageBox_keepsItsLineWhole();
    void fileDialogs_rememberTheirOwnFolder();
    void firmwareNumber_shownOnceLearnt();

private:
    QTemporaryDir dir_;
};

void WindowEventsTest::initTestCase() {
    // The file dialogs remember folders in the user's settings: these go to a folder of the test.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.filePath(u"settings"_s));
    QCoreApplication::setOrganizationName(u"KT-test"_s);
    QCoreApplication::setApplicationName(u"VELD-window-events"_s);
}

void WindowEventsTest::pageChange_tabPageAndModelAgree_data() {
    QTest::addColumn<PageWay>("way");
    QTest::newRow("tab click") << PageWay::TabClick;
    QTest::newRow("Ctrl+Tab") << PageWay::CtrlTab;
}

void WindowEventsTest::pageChange_tabPageAndModelAgree() {
    QFETCH(PageWay, way);
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    // A field with the focus, whose check passes as the focus leaves it.
    typeInto(world.find<QLineEdit>(u"Tlumeni"_s), u"2"_s);

    showPage(world, way, 1);
    QTRY_COMPARE(pageMismatch(world, 1), QString());
    showPage(world, PageWay::TabClick, 0);
    QTRY_COMPARE(pageMismatch(world, 0), QString());
    showPage(world, PageWay::TabClick, 2);
    QTRY_COMPARE(pageMismatch(world, 2), QString());
    QVERIFY(script.messages.isEmpty());
}

void WindowEventsTest::refusedField_keepsItsPageAndGetsTheFocusBack_data() {
    QTest::addColumn<PageWay>("way");
    QTest::addColumn<bool>("realBox");
    QTest::newRow("tab click") << PageWay::TabClick << false;
    QTest::newRow("Ctrl+Tab") << PageWay::CtrlTab << false;
    QTest::newRow("tab click, message box") << PageWay::TabClick << true;
}

void WindowEventsTest::refusedField_keepsItsPageAndGetsTheFocusBack() {
    QFETCH(PageWay, way);
    QFETCH(bool, realBox);
    ScriptedPrompts script;
    ui::QtPrompts dialogs(u"VELD"_s);
    World world(realBox ? static_cast<Prompts&>(dialogs) : script);
    QVERIFY(world.show());
    world.choose(u"Vstup"_s, u"odporový teploměr Pt100"_s);
    auto* begin = world.find<QLineEdit>(u"Pocatek"_s);
    typeInto(begin, u"-250"_s);

    BoxAnswerer user(u"OK"_s);
    showPage(world, way, 1);
    QTRY_COMPARE(world.window.focusWidget(), begin);
    world.window.activateWindow();
    QTRY_COMPARE(QApplication::focusWidget(), begin);
    QCOMPARE(pageMismatch(world, 0), QString());
    QCOMPARE(realBox ? user.texts : script.messages, QStringList({kBeginBelowPt}));
    QCOMPARE(begin->selectedText(), u"-250"_s);

    // Corrected, the same move goes through.
    typeInto(begin, u"-200"_s);
    showPage(world, way, 1);
    QTRY_COMPARE(pageMismatch(world, 1), QString());
    QCOMPARE((realBox ? user.texts : script.messages).size(), 1);
}

void WindowEventsTest::chosenItemPickedAgain_runsNoHandler() {
    const QString points = ui::test::writePoints(dir_, u"five.txt"_s, 5);
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    config::MainForm& f = world.model.form;
    world.choose(u"Vstup"_s, u"odporový teploměr Pt100"_s);
    world.choose(u"PripCidl"_s, u"třívodičově"_s);
    typeInto(world.find<QLineEdit>(u"Pocatek"_s), u"0"_s);
    typeInto(world.find<QLineEdit>(u"Konec"_s), u"100"_s);

    world.choose(u"Vstup"_s, u"odporový teploměr Pt100"_s);
    QCOMPARE(f.PripCidl.text, u"třívodičově"_s);
    QCOMPARE(f.Pocatek.text(), u"0"_s);
    QCOMPARE(f.Konec.text(), u"100"_s);

    script.fileAnswers = {points, points};
    world.choose(u"Linearizace"_s, u"ze souboru"_s);
    QTRY_VERIFY(world.window.linDialog().isVisible());
    QTest::mouseClick(world.find<QPushButton>(u"OK"_s), Qt::LeftButton);
    QTRY_VERIFY(!world.window.linDialog().isVisible());
    typeInto(world.find<QLineEdit>(u"Pocatek"_s), u"10"_s);
    world.choose(u"Linearizace"_s, u"ze souboru"_s);
    QCOMPARE(script.fileRequests.size(), 1);
    QCOMPARE(f.Pocatek.text(), u"10"_s);
    QVERIFY(!world.model.dialog.visible);
}

void WindowEventsTest::wheelOverUnfocusedList_changesNothing() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    config::MainForm& f = world.model.form;
    world.choose(u"Vstup"_s, u"odporový teploměr Pt100"_s);
    typeInto(world.find<QLineEdit>(u"Pocatek"_s), u"0"_s);
    typeInto(world.find<QLineEdit>(u"Tlumeni"_s), u"1"_s);

    for (const QString& name : {u"Vstup"_s, u"Linearizace"_s, u"Chybproud"_s})
        wheel(world.find<QComboBox>(name));
    QCOMPARE(f.Vstup.text, u"odporový teploměr Pt100"_s);
    QCOMPARE(f.Linearizace.text, u"linearizováno"_s);
    QCOMPARE(f.Chybproud.text, u"vyřazen"_s);
    QCOMPARE(f.Pocatek.text(), u"0"_s);
    QVERIFY(script.fileRequests.isEmpty());
    QVERIFY(world.find<QLineEdit>(u"Tlumeni"_s)->hasFocus());

    // The list with the focus turns.
    auto* type = world.find<QComboBox>(u"Vstup"_s);
    type->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(type->hasFocus());
    wheel(type);
    QCOMPARE(f.Vstup.text, u"odporový teploměr Pt1000"_s);
}

void WindowEventsTest::clickOnListAfterRefusedField_opensNoPopup() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    world.choose(u"Vstup"_s, u"odporový teploměr Pt100"_s);
    auto* begin = world.find<QLineEdit>(u"Pocatek"_s);
    typeInto(begin, u"-250"_s);

    auto* type = world.find<QComboBox>(u"Vstup"_s);
    QTest::mouseClick(type, Qt::LeftButton, {}, QPoint(type->width() - 6, type->height() / 2));
    QTRY_COMPARE(QApplication::focusWidget(), begin);
    const bool popupShown = type->view()->isVisible();
    type->hidePopup();
    QVERIFY(!popupShown);
    QCOMPARE(script.messages, QStringList({kBeginBelowPt}));
    QCOMPARE(world.model.form.Vstup.text, u"odporový teploměr Pt100"_s);
}

void WindowEventsTest::anotherPointFile_shownFromTheTop() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    world.choose(u"Vstup"_s, u"termočlánek K"_s);
    script.fileAnswers.append(ui::test::writePoints(dir_, u"long.txt"_s, 100));
    world.choose(u"Linearizace"_s, u"ze souboru"_s);
    QTRY_VERIFY(world.window.linDialog().isVisible());
    auto* grid = world.find<QTableWidget>(u"StringGrid1"_s);
    ui::test::settleLayouts();
    QScrollBar* bar = grid->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(bar->maximum());

    script.fileAnswers.append(ui::test::writePoints(dir_, u"short.txt"_s, 3));
    QTest::mouseClick(world.find<QPushButton>(u"Jiny"_s), Qt::LeftButton);
    QTRY_VERIFY(world.window.linDialog().isVisible());
    QCOMPARE(world.model.points.PointCount, 3);
    QCOMPARE(bar->value(), 0);
    QVERIFY(!grid->visualItemRect(grid->item(0, 0)).isEmpty());
}

void WindowEventsTest::closingThePointsDialog_checksAsOk_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("close box") << false;
    QTest::newRow("Esc") << true;
}

void WindowEventsTest::closingThePointsDialog_checksAsOk() {
    QFETCH(bool, escape);
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    world.choose(u"Vstup"_s, u"termočlánek K"_s);
    script.fileAnswers.append(ui::test::writePoints(dir_, u"twentytwo.txt"_s, 22));
    world.choose(u"Linearizace"_s, u"ze souboru"_s);
    ui::LinDialogView& dialog = world.window.linDialog();
    QTRY_VERIFY(dialog.isVisible());
    const auto close = [&] {
        if (escape)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.close();
    };

    close();  // 22 points are too many for the segments
    QCOMPARE(script.messages, QStringList({kSegmentsMax}));
    QVERIFY(world.model.dialog.visible);
    QVERIFY(dialog.isVisible());

    clickMethod(world, config::LinDialogForm::kMethodPolynomial);
    close();
    QCOMPARE(script.messages.size(), 1);
    QVERIFY(!world.model.dialog.visible);
    QTRY_VERIFY(!dialog.isVisible());
}

void WindowEventsTest::chosenMethodClickedAgain_keepsTheDegree() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    world.choose(u"Vstup"_s, u"termočlánek K"_s);
    script.fileAnswers.append(ui::test::writePoints(dir_, u"ten.txt"_s, 10));
    world.choose(u"Linearizace"_s, u"ze souboru"_s);
    QTRY_VERIFY(world.window.linDialog().isVisible());

    clickMethod(world, config::LinDialogForm::kMethodPolynomial);
    QCOMPARE(world.model.dialog.stup_p.text, u"6"_s);
    world.choose(u"stup_p"_s, u"4"_s);
    QCOMPARE(world.model.dialog.stup_p.text, u"4"_s);
    clickMethod(world, config::LinDialogForm::kMethodPolynomial);
    QCOMPARE(world.model.dialog.stup_p.text, u"4"_s);
    QCOMPARE(world.find<QComboBox>(u"stup_p"_s)->currentText(), u"4"_s);
    // A change of method still resets it.
    clickMethod(world, config::LinDialogForm::kMethodSegments);
    clickMethod(world, config::LinDialogForm::kMethodPolynomial);
    QCOMPARE(world.model.dialog.stup_p.text, u"6"_s);
}

void WindowEventsTest::totalValueRow_captionedByType_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("unit");
    QTest::newRow("resistors") << u"rozdíl dvou rezistorů"_s
                               << u"max. hodnota součtu obou rezistorů"_s << u"Ohm"_s;
    QTest::newRow("voltages") << u"rozdíl dvou napětí"_s << u"max. hodnota napětí"_s << u"V"_s;
    QTest::newRow("currents") << u"rozdíl dvou proudů"_s << u"maximální hodnota proudu"_s
                              << u"mA"_s;
}

void WindowEventsTest::totalValueRow_captionedByType() {
    QFETCH(QString, type);
    QFETCH(QString, caption);
    QFETCH(QString, unit);
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    // These types come only from the transmitter or a file, which set the list and run its rule.
    world.model.form.Vstup.text = type;
    world.model.rules().VstupChange();
    world.model.notifyChanged();
    QVERIFY(world.find<QLabel>(u"Pcelkodpor"_s)->isVisible());
    QCOMPARE(world.find<QLabel>(u"Pcelkodpor"_s)->text(), caption);
    QCOMPARE(world.find<QLabel>(u"Jcelkodpor"_s)->text(), unit);
}

void WindowEventsTest::dampingNotANumber_oneMessage() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    auto* damping = world.find<QLineEdit>(u"Tlumeni"_s);
    typeInto(damping, u"x"_s);
    QTest::keyClick(damping, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), damping);
    QCOMPARE(script.messages, QStringList({u"Císlo je špatne definováno."_s}));
}

void WindowEventsTest::messageBox_keepsItsLineWhole() {
    ui::QtPrompts dialogs(u"VELD"_s);
    int lines = 0;
    BoxAnswerer user(u"OK"_s, [&lines](QMessageBox& box) {
        auto* label = box.findChild<QLabel*>(u"qt_msgbox_label"_s);
        QVERIFY(label);
        lines = label->height() / label->fontMetrics().lineSpacing();
    });
    dialogs.message(kBeginBelowPt);
    QCOMPARE(user.texts, QStringList({kBeginBelowPt}));
    QCOMPARE(lines, 1);
}

void WindowEventsTest::fileDialogs_rememberTheirOwnFolder() {
    QTemporaryDir documents;
    QTemporaryDir chosen;
    const QString file = ui::test::writePoints(chosen, u"body.txt"_s, 3);
    ui::QtPrompts dialogs(u"VELD"_s);
    QStringList startedIn;
    QString pick;  // the file the user picks; empty: the user cancels
    QTimer user;
    user.setInterval(0);
    connect(&user, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        startedIn.append(dialog->directory().absolutePath());
        if (pick.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(pick);
        static_cast<QDialog*>(dialog)->accept();  // as the "Open" button does
    });
    user.start();
    const FileDialogRequest points{
        u"Linearizační soubor"_s, u"*.txt|*.txt|*.*|*.*"_s, documents.path(), {}};
    const FileDialogRequest load{{}, {}, documents.path(), {}};

    pick = file;
    QCOMPARE(dialogs.openFile(points), std::optional<QString>(file));
    pick.clear();
    QVERIFY(!dialogs.openFile(points));  // the folder chosen last time
    QVERIFY(!dialogs.openFile(load));    // another dialog: its own folder
    QVERIFY(!dialogs.saveFile(load));
    const QString first = QDir(documents.path()).absolutePath();
    const QString last = QDir(chosen.path()).absolutePath();
    QCOMPARE(startedIn, QStringList({first, last, first, first}));
}

void WindowEventsTest::firmwareNumber_shownOnceLearnt() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    auto* number = world.find<QLabel>(u"Label78"_s);
    QVERIFY(!number->isVisible());
    for (const auto& [stored, shown] :
         {std::pair{std::uint8_t{7}, u"7"_s}, {0, u"1"_s}, {255, u"1"_s}}) {
        world.model.form.setFirmwareNumber(stored);
        world.model.notifyChanged();
        QVERIFY(number->isVisible());
        QCOMPARE(number->text(), shown);
    }
    // The number follows its caption, and the program's version stands apart from both.
    auto* caption = world.find<QLabel>(u"Label77"_s);
    auto* version = world.find<QLabel>(u"Label80"_s);
    const QRect captionAt(caption->mapTo(&world.window, QPoint()), caption->size());
    const QRect numberAt(number->mapTo(&world.window, QPoint()), number->size());
    const QRect versionAt(version->mapTo(&world.window, QPoint()), version->size());
    QVERIFY(numberAt.left() > captionAt.right());
    QVERIFY(numberAt.left() - captionAt.right() < 20);
    QVERIFY(!versionAt.adjusted(-40, -10, 40, 10).intersects(captionAt.united(numberAt)));
}

QTEST_MAIN(WindowEventsTest)
#include "window_events_test.moc"
