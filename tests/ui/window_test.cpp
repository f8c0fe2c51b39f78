// Smoke tests of the main window through its real widgets: the widgets mirror the model, user
// events reach its handlers, message boxes and focus behave as the user expects. The rules
// themselves are tested on the model.

#include "window_world.h"

#include "ui/control_binder.h"
#include "ui/lin_dialog_view.h"

#include <QDir>
#include <QImage>
#include <QRadioButton>
#include <QSet>
#include <QTabBar>

using namespace Qt::Literals::StringLiterals;
using namespace veld;
using config::Control;
using ui::test::BoxAnswerer;
using ui::test::firstMismatch;
using ui::test::settleLayouts;
using ui::test::World;

namespace {

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
    void lists_completeTheTypedBeginningAndFollowTheChosenType();
    void focusRequest_bringsTheFieldsPageToTheFront();
    void boxes_questionWithAnoAndNe_messageOnOneLine();
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

void WindowTest::lists_completeTheTypedBeginningAndFollowTheChosenType() {
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

    // What each type shows is the model's business; here the widgets must follow it.
    for (const QString& chosen : {u"termočlánek K"_s, u"potenciometr"_s}) {
        world.choose(u"Vstup"_s, chosen);
        QCOMPARE(world.model.form.Vstup.text, chosen);
        QCOMPARE(firstMismatch(world), QString());
    }
    QVERIFY(!world.find<QComboBox>(u"PripCidl"_s)->isHidden());
    QCOMPARE(ui::test::itemsOf(world.find<QComboBox>(u"PripCidl"_s)),
             QStringList({u"třívodičově"_s, u"čtyřvodičově"_s}));
}

void WindowTest::focusRequest_bringsTheFieldsPageToTheFront() {
    ScriptedPrompts script;
    World world(script);
    QVERIFY(world.show());
    world.choose(u"Vstup"_s, u"termočlánek K"_s);
    world.typeInto(world.find<QLineEdit>(u"Konec"_s), u"5000"_s);

    world.prompts.focus(u"EMezsep1"_s);
    QTRY_COMPARE(QApplication::focusWidget(), world.find<QLineEdit>(u"EMezsep1"_s));
    QCOMPARE(world.window.pages().currentIndex(),
             world.window.pageIndex(world.model.form.TabSheet2));
    QCOMPARE(world.model.form.activePage, world.window.pages().currentIndex());
    // Moving the focus for the model is not the user leaving the end field.
    QVERIFY(script.messages.isEmpty());
}

void WindowTest::boxes_questionWithAnoAndNe_messageOnOneLine() {
    ui::QtPrompts dialogs(u"VELD"_s);
    const QString question = u"Opravdu se má zapsat konfigurace ?"_s;
    {
        BoxAnswerer user(u"Ne"_s);
        QVERIFY(!dialogs.question(question));
        QCOMPARE(user.texts, QStringList({question}));
        QCOMPARE(user.buttons, QList<QStringList>({{u"Ano"_s, u"Ne"_s}}));
    }
    {
        BoxAnswerer user(u"Ano"_s);
        QVERIFY(dialogs.question(question));
    }
    const QString message = u"Dolní hodnota rozsahu musí být v intervalu -200.000 až 850.000 °C"_s;
    int lines = 0;
    BoxAnswerer user(u"OK"_s, [&lines](QMessageBox& box) {
        auto* label = box.findChild<QLabel*>(u"qt_msgbox_label"_s);
        QVERIFY(label);
        lines = label->height() / label->fontMetrics().lineSpacing();
    });
    dialogs.message(message);
    QCOMPARE(user.texts, QStringList({message}));
    QCOMPARE(user.buttons, QList<QStringList>({{u"OK"_s}}));
    QCOMPARE(lines, 1);
}

void WindowTest::linearizationFile_dialogFollowsTheModel() {
    QTemporaryDir dir;
    const QString points = ui::test::writePoints(dir, u"body.txt"_s, 3);
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
    script.fileAnswers.append(ui::test::writePoints(dir, u"body.txt"_s, 3));
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
