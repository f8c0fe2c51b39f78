// The main window through its real widgets, offscreen: the widgets mirror the model and user
// events reach its handlers. The rules themselves are tested on the model.

#include "window_world.h"

#include "ui/control_binder.h"
#include "ui/lin_dialog_view.h"

using namespace Qt::Literals::StringLiterals;
using namespace veld;
using config::Control;
using ui::test::BoxAnswerer;
using ui::test::firstMismatch;
using ui::test::settleLayouts;
using ui::test::World;

namespace {

const QString kBeginBelowK =
    u"Dolní hodnota rozsahu musí být v intervalu -200.000 až 1370.000 °C"_s;
const QString kBeginBelowPt =
    u"Dolní hodnota rozsahu musí být v intervalu -200.000 až 850.000 °C"_s;
const QString kSegmentsMax = u"Maximální počet bodů pro linearizaci metodou "_s +
                             u"proložení lineárními přímkami v zadaných bodech je 21."_s;

// How the user leaves a field: to the next one, to another page, or by clicking elsewhere.
enum class Leave { Tab, TabClick, ButtonClick, ListClick };

void leave(World& world, QWidget* field, Leave way, int page = 1) {
    QTabBar* bar = world.window.pages().tabBar();
    auto* type = world.find<QComboBox>(u"Vstup"_s);
    if (way == Leave::Tab)
        QTest::keyClick(field, Qt::Key_Tab);
    else if (way == Leave::TabClick)
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    else if (way == Leave::ButtonClick)
        QTest::mouseClick(world.find<QPushButton>(u"Precist"_s), Qt::LeftButton);
    else
        QTest::mouseClick(type, Qt::LeftButton, {}, QPoint(type->width() - 6, type->height() / 2));
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

// One notch of the wheel over the middle of the widget.
void wheel(QWidget* widget) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent event(at, widget->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The file dialogs remember folders in the user's settings: these go to a folder of the
        // test.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           dir_.filePath(u"settings"_s));
        QCoreApplication::setOrganizationName(u"KT-test"_s);
        QCoreApplication::setApplicationName(u"VELD-window-events"_s);
    }

    void startState_everyControlMirroredOnItsPage_listsComplete_focusFindsItsPage() {
        ScriptedPrompts script;
        World world(script);
        QVERIFY(world.show());
        QCOMPARE(firstMismatch(world), QString());

        QTabWidget& tabs = world.window.pages();
        QCOMPARE(tabs.currentIndex(), 0);
        // Each control sits on its own page.
        for (config::TabSheet* page : world.model.form.pages())
            for (Control* c : page->children)
                QVERIFY2(tabs.widget(world.window.pageIndex(*page))
                             ->isAncestorOf(world.find<QWidget>(c->name)),
                         qPrintable(c->name));
        // All tabs are readable side by side.
        QVERIFY(tabs.tabBar()->sizeHint().width() <= tabs.width());
        QCOMPARE(world.find<QComboBox>(u"Vstup"_s)->maxVisibleItems(), 21);
        QCOMPARE(world.find<QLineEdit>(u"EditUzPozn"_s)->maxLength(), 60);

        auto* number = world.find<QLabel>(u"Label78"_s);
        QVERIFY(!number->isVisible());
        world.model.form.setFirmwareNumber(7);
        world.model.notifyChanged();
        QVERIFY(number->isVisible());

        // A list completes the typed beginning.
        auto* type = world.find<QComboBox>(u"Vstup"_s);
        QTest::keyClicks(type, u"t"_s);
        QCOMPARE(world.model.form.Vstup.text, u"termočlánek B"_s);
        QCOMPARE(type->currentText(), u"termočlánek B"_s);
        // The completed part stays selected, so typing on replaces it.
        QCOMPARE(type->lineEdit()->selectedText(), u"ermočlánek B"_s);
        QCOMPARE(firstMismatch(world), QString());

        // A focus request for a field on another page brings that page to the front.
        world.choose(u"Vstup"_s, u"termočlánek K"_s);
        world.typeInto(world.find<QLineEdit>(u"Konec"_s), u"5000"_s);
        world.windowPrompts.focus(u"EMezsep1"_s);
        QTRY_COMPARE(QApplication::focusWidget(), world.find<QLineEdit>(u"EMezsep1"_s));
        QCOMPARE(world.window.pages().currentIndex(),
                 world.window.pageIndex(world.model.form.TabSheet2));
        QCOMPARE(world.model.form.activePage, world.window.pages().currentIndex());
        // Moving the focus for the model is not the user leaving the end field.
        QVERIFY(script.messages.isEmpty());
    }

    void boxes_questionWithAnoAndNe_messageOnOneLine() {
        ui::QtPrompts dialogs(u"VELD"_s);
        const QString question = u"Opravdu se má zapsat konfigurace ?"_s;
        for (const bool yes : {false, true}) {
            BoxAnswerer user(yes ? u"Ano"_s : u"Ne"_s);
            QCOMPARE(dialogs.question(question), yes);
            QCOMPARE(user.buttons, QList<QStringList>({{u"Ano"_s, u"Ne"_s}}));
        }
        const QString message = kBeginBelowPt;
        int lines = 0;
        BoxAnswerer user(u"OK"_s, [&lines](QMessageBox& box) {
            auto* label = box.findChild<QLabel*>(u"qt_msgbox_label"_s);
            lines = label->height() / label->fontMetrics().lineSpacing();
        });
        dialogs.message(message);
        QCOMPARE(user.texts, QStringList({message}));
        QCOMPARE(lines, 1);
    }

    void runningTransaction_disablesStartersAndDefersClosing() {
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
        QVERIFY(world.model.form.Poslat.enabled);  // the model is not touched

        world.window.close();
        QCoreApplication::processEvents();
        QVERIFY(world.window.isVisible());

        world.model.setBusy(false);
        QVERIFY(write->isEnabled());
        QTRY_VERIFY(!world.window.isVisible());
    }

    void refusedField_oneMessageFocusBackAndTheMoveDropped_data() {
        QTest::addColumn<Leave>("way");
        QTest::addColumn<bool>("realBox");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        // A begin below the range of a thermocouple K or a Pt100. A real box taking the focus is
        // not the user leaving the field: one box only.
        const auto begin = [](const char* row, Leave way, bool box, bool k) {
            QTest::newRow(row) << way << box
                               << (k ? u"termočlánek K"_s : u"odporový teploměr Pt100"_s)
                               << u"Pocatek"_s << (k ? u"-300"_s : u"-250"_s)
                               << (k ? kBeginBelowK : kBeginBelowPt);
        };
        begin("begin, Tab", Leave::Tab, false, true);
        begin("begin, Tab, message box", Leave::Tab, true, true);
        begin("begin, tab click", Leave::TabClick, false, false);
        begin("begin, tab click, message box", Leave::TabClick, true, false);
        begin("begin, button click", Leave::ButtonClick, false, true);
        begin("begin, click on a list", Leave::ListClick, false, false);
        QTest::newRow("fault current") << Leave::Tab << false << QString() << u"Chybproud"_s
                                       << u"xyz"_s << u"Špatně zadaná volba chybového proudu"_s;
    }

    void refusedField_oneMessageFocusBackAndTheMoveDropped() {
        QFETCH(Leave, way);
        QFETCH(bool, realBox);
        QFETCH(QString, type);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        ScriptedPrompts script;
        ui::QtPrompts dialogs(u"VELD"_s);
        World world(realBox ? static_cast<Prompts&>(dialogs) : script);
        QVERIFY(world.show());
        if (!type.isEmpty())
            world.choose(u"Vstup"_s, type);
        // The end holds a wrong value too: leaving it because the focus goes back to the begin must
        // not check it, or the two fields would send the focus to and fro.
        world.model.form.Konec.setText(u"5000"_s);
        world.model.notifyChanged();
        int reads = 0;
        world.model.form.Precist.onClick = [&reads] { ++reads; };
        const QString typeBefore = world.model.form.Vstup.text;
        auto* edit = world.find<QWidget>(field);
        world.typeInto(edit, typed);
        QVERIFY(script.messages.isEmpty());

        BoxAnswerer user(u"OK"_s);
        leave(world, edit, way);
        // The window gets its focus back when it is active again.
        QTRY_COMPARE(world.window.focusWidget(), edit);
        world.window.activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QVERIFY(!world.find<QComboBox>(u"Vstup"_s)->view()->isVisible());
        const QStringList& said = realBox ? user.texts : script.messages;
        QCOMPARE(said, QStringList({message}));
        if (realBox)
            QCOMPARE(user.buttons, QList<QStringList>({{u"OK"_s}}));
        else
            QCOMPARE(script.focused, QStringList({field}));
        QCOMPARE(pageMismatch(world, 0), QString());
        QCOMPARE(reads, 0);
        QCOMPARE(world.model.form.Vstup.text, typeBefore);
        QCOMPARE(firstMismatch(world), QString());
        if (field != u"Pocatek"_s)
            return;
        QCOMPARE(qobject_cast<QLineEdit*>(edit)->selectedText(), typed);
        if (way == Leave::ListClick)
            return;

        // Corrected, the same move goes through.
        world.typeInto(edit, u"-200"_s);
        leave(world, edit, way);
        if (way == Leave::Tab)
            QTRY_VERIFY(QApplication::focusWidget() != edit);
        if (way == Leave::ButtonClick)
            QCOMPARE(reads, 1);
        QCOMPARE(said.size(), 1);
        if (way != Leave::TabClick)
            return;
        // Tab, page shown and the model's active page stay in step.
        QTRY_COMPARE(pageMismatch(world, 1), QString());
        leave(world, nullptr, Leave::TabClick, 0);
        QTRY_COMPARE(pageMismatch(world, 0), QString());
        leave(world, nullptr, Leave::TabClick, 2);
        QTRY_COMPARE(pageMismatch(world, 2), QString());
        QCOMPARE(said.size(), 1);
    }

    void lists_changeOnlyWhenTheUserChangesThem() {
        ScriptedPrompts script;
        World world(script);
        QVERIFY(world.show());
        config::MainForm& f = world.model.form;
        world.choose(u"Vstup"_s, u"odporový teploměr Pt100"_s);
        world.choose(u"PripCidl"_s, u"třívodičově"_s);
        world.typeInto(world.find<QLineEdit>(u"Pocatek"_s), u"0"_s);
        world.typeInto(world.find<QLineEdit>(u"Konec"_s), u"100"_s);
        world.typeInto(world.find<QLineEdit>(u"Tlumeni"_s), u"1"_s);

        // The wheel over a list without the focus turns nothing.
        for (const QString& name : {u"Vstup"_s, u"Linearizace"_s, u"Chybproud"_s})
            wheel(world.find<QComboBox>(name));
        QCOMPARE(f.Vstup.text, u"odporový teploměr Pt100"_s);
        QCOMPARE(f.Linearizace.text, u"linearizováno"_s);
        QCOMPARE(f.Chybproud.text, u"vyřazen"_s);
        QVERIFY(world.find<QLineEdit>(u"Tlumeni"_s)->hasFocus());

        // The chosen item picked again runs no handler.
        world.choose(u"Vstup"_s, u"odporový teploměr Pt100"_s);
        QCOMPARE(f.PripCidl.text, u"třívodičově"_s);
        QCOMPARE(f.Konec.text(), u"100"_s);
        // The list with the focus turns.
        auto* type = world.find<QComboBox>(u"Vstup"_s);
        type->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(type->hasFocus());
        wheel(type);
        QCOMPARE(f.Vstup.text, u"odporový teploměr Pt1000"_s);
    }

    // By the close box and by Esc.
    void closingThePointsDialog_checksAsOk() {
        for (const bool escape : {false, true}) {
            ScriptedPrompts script;
            World world(script);
            QVERIFY(world.show());
            world.choose(u"Vstup"_s, u"termočlánek K"_s);
            script.fileAnswers.append(ui::test::writePoints(dir_, u"twentytwo.txt"_s, 22));
            world.choose(u"Linearizace"_s, u"ze souboru"_s);
            ui::LinDialogView& dialog = world.window.linDialog();
            QTRY_VERIFY(dialog.isVisible());
            const auto close = [&] {
                escape ? QTest::keyClick(&dialog, Qt::Key_Escape) : void(dialog.close());
            };

            close();  // 22 points are too many for the segments
            QCOMPARE(script.messages, QStringList({kSegmentsMax}));
            QVERIFY(dialog.isVisible());

            QRadioButton* polynomial = world.find<QGroupBox>(u"Zpus_lin"_s)
                                           ->findChildren<QRadioButton*>()
                                           .at(config::LinDialogForm::kMethodPolynomial);
            // On the button's circle: a radio button reacts only on its circle and its text.
            QTest::mouseClick(polynomial, Qt::LeftButton, {}, QPoint(8, polynomial->height() / 2));
            close();
            QCOMPARE(script.messages.size(), 1);
            QTRY_VERIFY(!dialog.isVisible());
        }
    }

    void fileDialogs_startWhereAskedThenInTheirOwnLastFolder() {
        for (const auto& [pipe, qt] : {std::pair{u"Body|*.txt;*.dat"_s, u"Body (*.txt *.dat)"_s},
                                       {QString(), QString()},
                                       {u"*.txt"_s, QString()}})  // a caption without its pattern
            QCOMPARE(ui::QtFileFilter(pipe), qt);

        QTemporaryDir documents;
        QTemporaryDir chosen;
        const QString file = ui::test::writePoints(chosen, u"body.txt"_s, 3);
        ui::QtPrompts dialogs(u"VELD"_s);
        QStringList startedIn, titles, filters;
        QString pick;  // the file the user picks; empty: the user cancels
        QTimer user;
        user.setInterval(0);
        connect(&user, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            startedIn.append(dialog->directory().absolutePath());
            titles.append(dialog->windowTitle());
            filters = dialog->nameFilters();
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
        QCOMPARE(titles, QStringList({u"Linearizační soubor"_s}));
        QCOMPARE(filters, QStringList({u"*.txt (*.txt)"_s, u"*.* (*)"_s}));
        pick.clear();
        QVERIFY(!dialogs.openFile(points));  // the folder chosen last time
        QVERIFY(!dialogs.openFile(load));    // another dialog: its own folder
        QVERIFY(!dialogs.saveFile(load));
        // A folder that is not there would be offered as the file name.
        QVERIFY(!dialogs.saveFile({u"Jiný"_s, {}, documents.filePath(u"Documents"_s), {}}));
        const QString first = QDir(documents.path()).absolutePath();
        const QString last = QDir(chosen.path()).absolutePath();
        QCOMPARE(startedIn, QStringList({first, last, first, first, QDir::homePath()}));
    }

    // Also run on a small screen at a large scale factor (tests/ui/CMakeLists.txt).
    void windowSize_insideTheScreenAndPagesScrollWhereTheyDoNotFit() {
        const QMargins frame(1, 20, 1, 5);
        const QRect screen(0, 0, 1024, 768);
        const QRect belowPanel(0, 30, 1024, 738);
        struct Case {
            QSize natural, minimum;
            QRect available, frame;  // the frame expected
        } cases[] = {
            {{800, 600}, {200, 100}, screen, {111, 71, 802, 625}},     // centred
            {{1316, 984}, {200, 100}, screen, screen},                 // shrunk to the screen
            {{900, 800}, {200, 100}, belowPanel, {61, 30, 902, 738}},  // below a panel
            {{1316, 984}, {1100, 800}, screen, {0, 0, 1102, 825}},     // too large: title in reach
        };
        for (const Case& c : cases)
            QCOMPARE(ui::FitWindow(c.natural, c.minimum, frame, c.available).marginsAdded(frame),
                     c.frame);

        ScriptedPrompts script;
        World world(script);
        QVERIFY(world.show());
        const QRect available = world.window.screen()->availableGeometry();
        QTRY_VERIFY(available.contains(world.window.frameGeometry()));
        // The tabs and the progress bars stay in the window; a page scrolls where it does not fit.
        QTabWidget& tabs = world.window.pages();
        const QRect inside = world.window.rect();
        for (QWidget* part :
             {static_cast<QWidget*>(tabs.tabBar()), world.find<QWidget>(u"Prenos"_s),
              world.find<QWidget>(u"Transfer1"_s)})
            QVERIFY(inside.contains(QRect(part->mapTo(&world.window, QPoint()), part->size())));
        for (int i = 0; i < tabs.count(); ++i) {
            tabs.setCurrentIndex(i);
            settleLayouts();
            auto* area = qobject_cast<QScrollArea*>(tabs.widget(i));
            const QSize needs = area->widget()->minimumSizeHint();
            const QSize has = area->maximumViewportSize();
            QCOMPARE(area->horizontalScrollBar()->maximum() > 0, needs.width() > has.width());
            QCOMPARE(area->verticalScrollBar()->maximum() > 0, needs.height() > has.height());
        }
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
