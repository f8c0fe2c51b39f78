// The main window through its real widgets, offscreen: the widgets mirror the model and user
// events reach its handlers; on the simulated transmitter in virtual time each click runs to its
// end. The rules themselves are tested on the model.

#include "config/traffic_log.h"
#include "support/program.h"
#include "ui/control_binder.h"
#include "ui/lin_dialog_view.h"
#include "ui/main_window.h"
#include "ui/qt_prompts.h"
#include "ui/traffic_page.h"
#include "ui/trend_chart.h"

#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace veld::ui {
namespace {

using config::Control;

// The window's prompts, made before the program that talks to them.
struct WithWindowPrompts {
    explicit WithWindowPrompts(Prompts& inner) : windowPrompts(inner) {}
    WindowPrompts windowPrompts;
};

// A window on a fresh program, as the program builds it, with the prompts under test. With
// `onSimulator` it talks to the built-in simulator in virtual time, so each click runs to its end;
// otherwise it runs on the real clock and the port the (empty) settings remember.
struct World : WithWindowPrompts, testing::Program {
    explicit World(Prompts& inner, bool onSimulator = false)
        : WithWindowPrompts(inner),
          Program(
              onSimulator
                  ? Options{.prompts = &windowPrompts}
                  : Options{.port = std::nullopt, .virtualTime = false, .prompts = &windowPrompts}),
          window(model, windowPrompts) {}

    template <class W>
    W* find(const QString& name) {
        return window.findChild<W*>(name);
    }
    bool show() {
        window.fitOnScreen();
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    // Picks a list item the way the list reports a choice made in its drop-down.
    void choose(const QString& listName, const QString& item) {
        auto* list = find<QComboBox>(listName);
        const int index = list->findText(item);
        QVERIFY2(index >= 0, qPrintable(item));
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    // Gives the field the focus as a click does and types over what it holds.
    void typeInto(QWidget* field, const QString& text) {
        field->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(field->hasFocus());
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            edit->selectAll();
        QTest::keyClicks(field, text);
    }

    void click(const QString& buttonName) {
        QTest::mouseClick(find<QPushButton>(buttonName), Qt::LeftButton);
    }
    // Clicks the button and runs the click to its end in virtual time. Meanwhile the window's
    // events are processed every 10 ms, as they are while the real clock waits, and `user` acts
    // once, `at` after the click. Returns the requests the click sent.
    QStringList clickWhileUserActs(const QString& buttonName, std::chrono::milliseconds at,
                                   const std::function<void()>& user) {
        session().simDevice().ClearCounters();
        const auto running = std::make_shared<bool>(true);
        processEventsEvery10ms(running);
        clock.schedule(at, user);
        click(buttonName);
        *running = false;
        return testing::DescribeLog(session().simDevice().Log());
    }
    void processEventsEvery10ms(const std::shared_ptr<bool>& running) {
        clock.schedule(10ms, [this, running] {
            if (!*running)
                return;
            QCoreApplication::processEvents();
            processEventsEvery10ms(running);
        });
    }

    config::MainWindowModel& model = m();
    MainWindow window;
};

// The first control whose widget does not show what the control holds; empty when all agree.
QString firstMismatch(World& world) {
    using config::ControlKind;
    std::vector<config::Control*> controls = world.model.form.controls();
    for (config::Control* c : world.model.dialog.controls())
        controls.push_back(c);
// Returns from the check with the control's name and `what` when `shown` is not `held`.
#define VELD_SHOWS(shown, held, what) \
    if ((shown) != (held))            \
    return c->name + u": " what ""_s
    for (config::Control* c : controls) {
        const QList<QWidget*> found = world.window.findChildren<QWidget*>(c->name);
        if (found.size() != 1)
            return c->name + u": %1 widgets"_s.arg(found.size());
        QWidget* w = found.first();
        if (c->kind == ControlKind::TabSheet) {
            const int index = world.window.pageIndex(*c);
            VELD_SHOWS(world.window.pages().tabText(index),
                       static_cast<config::TabSheet*>(c)->caption, "caption");
            VELD_SHOWS(world.window.pages().isTabVisible(index), c->visible, "visible");
            continue;
        }
        VELD_SHOWS(!w->isHidden(), c->visible, "visible");
        VELD_SHOWS(w->isEnabled(), c->enabled, "enabled");
        switch (c->kind) {
            case ControlKind::Label:
                VELD_SHOWS(static_cast<QLabel*>(w)->text(), static_cast<config::Label*>(c)->caption,
                           "caption");
                break;
            case ControlKind::Button:
                VELD_SHOWS(static_cast<QPushButton*>(w)->text(),
                           static_cast<config::Button*>(c)->caption, "caption");
                break;
            case ControlKind::CheckBox:
                VELD_SHOWS(static_cast<QCheckBox*>(w)->isChecked(),
                           static_cast<config::CheckBox*>(c)->checked, "checked");
                break;
            case ControlKind::Edit:
            case ControlKind::MaskedEdit:
                VELD_SHOWS(static_cast<QLineEdit*>(w)->text(),
                           static_cast<config::Edit*>(c)->text(), "text");
                break;
            case ControlKind::ComboBox: {
                auto* list = static_cast<QComboBox*>(w);
                QStringList items;
                for (int i = 0; i < list->count(); ++i)
                    items.append(list->itemText(i));
                VELD_SHOWS(list->currentText(), static_cast<config::ComboBox*>(c)->text, "text");
                VELD_SHOWS(items, static_cast<config::ComboBox*>(c)->items, "items");
                VELD_SHOWS(list->isEditable(), true, "not editable");
                break;
            }
            case ControlKind::RadioGroup: {
                auto* box = static_cast<QGroupBox*>(w);
                VELD_SHOWS(box->title(), static_cast<config::RadioGroup*>(c)->caption, "caption");
                VELD_SHOWS(box->findChild<QButtonGroup*>()->checkedId(),
                           static_cast<config::RadioGroup*>(c)->itemIndex, "item");
                break;
            }
            case ControlKind::ListBox: {
                auto* list = static_cast<QListWidget*>(w);
                VELD_SHOWS(list->count(), static_cast<config::ListBox*>(c)->items.size(), "items");
                VELD_SHOWS(list->currentRow(), static_cast<config::ListBox*>(c)->itemIndex,
                           "items");
                break;
            }
            case ControlKind::ProgressBar:
                VELD_SHOWS(static_cast<QProgressBar*>(w)->value(),
                           static_cast<config::ProgressBar*>(c)->position, "position");
                break;
            case ControlKind::StringGrid: {
                auto* grid = static_cast<config::StringGrid*>(c);
                auto* table = static_cast<QTableWidget*>(w);
                for (int row = 1; row < grid->rowCount(); ++row)
                    for (int column = 0; column < grid->columnCount(); ++column) {
                        const QTableWidgetItem* item = table->item(row - 1, column);
                        VELD_SHOWS(item ? item->text() : QString(), grid->cell(column, row),
                                   "cell");
                    }
                break;
            }
            default:
                break;
        }
    }
#undef VELD_SHOWS
    return {};
}

// Answers every message box as it opens, as a user would: notes its text and buttons and
// presses the button with the given caption. `seen`, when set, looks at each box first.
class BoxAnswerer {
public:
    explicit BoxAnswerer(QString press, std::function<void(QMessageBox&)> seen = {})
        : press_(std::move(press)), seen_(std::move(seen)) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start();
    }
    QStringList texts;
    QList<QStringList> buttons;

private:
    void answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        if (seen_)
            seen_(*box);
        texts.append(box->text());
        QStringList captions;
        QAbstractButton* target = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            captions.append(b->text());
            if (b->text() == press_)
                target = b;
        }
        captions.sort();
        buttons.append(captions);
        (target ? target : box->buttons().constFirst())->click();
    }

    QString press_;
    std::function<void(QMessageBox&)> seen_;
    QTimer timer_;
};

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
}  // namespace veld::ui

using namespace veld;
using namespace veld::ui;

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

        // The firmware number's label, hidden so far, is shown: the check below sees it.
        world.model.form.setFirmwareNumber(7);
        world.model.notifyChanged();
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
        QCOMPARE(pageMismatch(world, world.window.pageIndex(world.model.form.TabSheet2)),
                 QString());
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
        int lines = 0;
        BoxAnswerer user(u"OK"_s, [&lines](QMessageBox& box) {
            auto* label = box.findChild<QLabel*>(u"qt_msgbox_label"_s);
            lines = label->height() / label->fontMetrics().lineSpacing();
        });
        dialogs.message(kBeginBelowPt);
        QCOMPARE(user.texts, QStringList({kBeginBelowPt}));
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
        // A begin below the range of a Pt100. A real box taking the focus is not the user leaving
        // the field: one box only.
        const auto begin = [](const char* row, Leave way, bool box) {
            QTest::newRow(row) << way << box << u"odporový teploměr Pt100"_s << u"Pocatek"_s
                               << u"-250"_s << kBeginBelowPt;
        };
        begin("begin, Tab", Leave::Tab, false);
        begin("begin, Tab, message box", Leave::Tab, true);
        begin("begin, tab click", Leave::TabClick, false);
        begin("begin, tab click, message box", Leave::TabClick, true);
        begin("begin, button click", Leave::ButtonClick, false);
        begin("begin, click on a list", Leave::ListClick, false);
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
        QByteArray points;
        for (int i = 0; i < 22; ++i)
            points += QByteArray::number(i) + ' ' + QByteArray::number(10 * i) + '\n';
        for (const bool escape : {false, true}) {
            ScriptedPrompts script;
            World world(script);
            QVERIFY(world.show());
            world.choose(u"Vstup"_s, u"termočlánek K"_s);
            script.fileAnswers.append(world.file(u"twentytwo.txt"_s, points));
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
        const QString file = chosen.filePath(u"body.txt"_s);
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
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
            for (int pass = 0; pass < 4; ++pass)  // layout requests go up a level a pass
                QCoreApplication::processEvents();
            auto* area = qobject_cast<QScrollArea*>(tabs.widget(i));
            const QSize needs = area->widget()->minimumSizeHint();
            const QSize has = area->maximumViewportSize();
            QCOMPARE(area->horizontalScrollBar()->maximum() > 0, needs.width() > has.width());
            QCOMPARE(area->verticalScrollBar()->maximum() > 0, needs.height() > has.height());
        }
    }

    void wholeWrite_takesNoOtherInputAndGivesTheFocusBack() {
        ScriptedPrompts script;  // answers Yes
        World world(script, true);
        QVERIFY(world.show());
        world.click(u"Precist"_s);
        auto* write = world.find<QPushButton>(u"Poslat"_s);
        const auto nobody = [] {};
        const QStringList undisturbed = world.clickWhileUserActs(u"Poslat"_s, 300ms, nobody);
        QVERIFY(undisturbed.size() > 20);
        QCOMPARE(QApplication::focusWidget(), write);

        // Mid-write the user clicks the file "Přečíst", types into "Konec" and presses Space.
        const QString end = world.find<QLineEdit>(u"Konec"_s)->text();
        bool midWrite = false;
        const QStringList disturbed = world.clickWhileUserActs(u"Poslat"_s, 300ms, [&] {
            midWrite = world.model.operationRunning();
            QTest::mouseClick(world.find<QPushButton>(u"ctisoub"_s), Qt::LeftButton);
            QTest::keyClicks(world.find<QLineEdit>(u"Konec"_s), u"9"_s);
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : &world.window, Qt::Key_Space);
        });
        QVERIFY(midWrite);
        QCOMPARE(disturbed, undisturbed);
        QVERIFY(script.fileRequests.isEmpty());
        QCOMPARE(world.find<QLineEdit>(u"Konec"_s)->text(), end);
        QCOMPARE(world.model.form.Konec.text(), end);
        QCOMPARE(script.messages, QStringList());
        QCOMPARE(QApplication::focusWidget(), write);

        // A field the write asks for mid-way gets the focus when the write has ended.
        auto* correction = world.find<QLineEdit>(u"korekcePV"_s);
        QVERIFY(correction->isVisible());
        world.typeInto(correction, {});
        QTest::keyClick(correction, Qt::Key_Backspace);
        world.clickWhileUserActs(u"Poslat"_s, 300ms, nobody);
        QCOMPARE(script.messages, QStringList{u"Je nutno vyplnit hodnotu korekce PV."_s});
        QTRY_COMPARE(QApplication::focusWidget(), correction);
    }

    // The measurement's rules are the model's; here its trend reaches the chart and the window's
    // close ends it.
    void continuousMeasurement_drawsItsTrendAndEndsWithTheWindow() {
        ScriptedPrompts script;
        World world(script, true);
        world.model.userShowedPage(5);
        QVERIFY(world.show());
        world.click(u"Precist"_s);  // enables the measurement buttons
        world.click(u"Start_Mer"_s);
        for (int i = 1; i <= 6; ++i) {
            if (i == 3)
                world.session().simFaults().Queue(sim::Fault::NoReply(), 3);  // a gap
            world.clock.advance(1500ms);
        }
        QCOMPARE(world.window.trend().segmentCount(), 2);
        auto* last = world.window.trend().findChild<QLabel*>(u"TrendLast"_s);
        QCOMPARE(last->text(), u"Poslední: %1 °C"_s.arg(world.model.form.ZoZmHodn.text()));

        const std::size_t before = world.session().simDevice().Count("ReadPV");
        QVERIFY(world.window.close());
        QVERIFY(!world.model.measurement().continuousRunning());
        world.clock.advance(10s);
        QCOMPARE(world.session().simDevice().Count("ReadPV"), before);
    }

    // The filters are the log's; here the page follows the link, its controls reach the filter and
    // it stays in front while a handler runs.
    void trafficPage_followsTheLinkFiltersAndStaysInFront() {
        config::TrafficLog log;  // outlives the window, as in the program
        ScriptedPrompts script;
        World world(script, true);
        world.session().link().onTransaction = [&log](const auto& r) { log.add(r); };
        world.window.addTrafficPage(log);
        QVERIFY(world.show());
        world.click(u"Precist"_s);
        const int provoz = world.window.pages().count() - 1;
        world.window.pages().setCurrentIndex(provoz);
        auto* page = world.find<ui::TrafficPage>(u"Provoz"_s);
        const QAbstractItemModel& table = page->table();
        QCOMPARE(table.rowCount(), 10);  // the whole read
        world.model.userClicked(u"Prec_Pozn"_s);
        QCOMPARE(world.window.pages().currentIndex(), provoz);
        QCOMPARE(table.rowCount(), 14);  // the note in four reads

        world.find<QLineEdit>(u"ProvozAdresa"_s)->setText(u"0x16B"_s);  // 363
        const QModelIndex meaning = table.index(0, ui::TrafficTableModel::Meaning);
        QVERIFY(table.data(meaning).toString().contains(u"tlumení"_s));
        world.find<QCheckBox>(u"ProvozSurova"_s)->setChecked(true);
        page->view().selectRow(0);
        const QString bytes = world.find<QPlainTextEdit>(u"ProvozBajty"_s)->toPlainText();
        QVERIFY2(bytes.startsWith(u"Požadavek (18 B): FF FF FF 82"_s), qPrintable(bytes));
        world.find<QCheckBox>(u"ProvozJenChyby"_s)->setChecked(true);
        QCOMPARE(table.rowCount(), 0);
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
