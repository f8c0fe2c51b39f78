// The window program: the main window on the presentation model, the transaction engine on a
// serial port or on the built-in simulated transmitter.

#include "app/port_page.h"
#include "app/port_router.h"
#include "config/main_window_model.h"
#include "link/link.h"
#include "link/port_choice.h"
#include "link/real_clock.h"
#include "link/serial_transport.h"
#include "sim/device.h"
#include "sim/fault_policy.h"
#include "sim/memory_image.h"
#include "sim/sim_transport.h"
#include "ui/main_window.h"
#include "ui/qt_prompts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QSettings>
#include <QTabWidget>
#include <QTimer>
#include <QTranslator>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Options {
    bool simulator = false;
    QString grabFile;  // save a picture of the window after start and quit
    int grabPage = 0;
};

Options parseOptions(const QApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Konfigurace převodníku VELD"_s);
    parser.addHelpOption();
    const QCommandLineOption simulator(u"simulator"_s,
                                       u"Začít se simulovaným převodníkem (volba se neukládá)."_s);
    QCommandLineOption grab(u"grab"_s, u"Save a picture of the window to FILE and quit."_s,
                            u"FILE"_s);
    grab.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption grabPage(u"grab-page"_s, u"Page shown in the picture (0-5)."_s, u"N"_s,
                                u"0"_s);
    grabPage.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({simulator, grab, grabPage});
    parser.process(app);
    return {parser.isSet(simulator), parser.value(grab), parser.value(grabPage).toInt()};
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(u"KT"_s);
    QCoreApplication::setApplicationName(u"VELD"_s);
    // The file dialogs speak Czech where the system has Qt's translations.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Czech), u"qtbase"_s, u"_"_s,
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    const Options options = parseOptions(app);

    QSettings settings;
    veld::ui::QtPrompts dialogs(u"VELD"_s);
    veld::ui::WindowPrompts prompts(dialogs);
    veld::config::MainWindowModel model(prompts);
    veld::ui::MainWindow window(model, prompts);

    veld::link::RealClock clock;
    veld::link::SerialTransport serial;
    veld::sim::MemoryImage image;
    veld::sim::Device device(image);
    veld::sim::FaultPolicy faults;
    veld::sim::SimTransport sim(device, faults, clock);
    veld::app::PortRouter router(serial, sim);

    veld::link::PortChoice choice;
    choice.restore(settings);
    if (options.simulator)
        choice.selectOther(QString::fromLatin1(veld::app::PortRouter::kSimulatorPort), false);

    veld::link::Link link(router, clock, prompts, choice, settings);
    link.onTransfer1 = [&model](int value) {
        model.form.Transfer1.position = value;
        model.notifyChanged();
    };
    link.onBusyChanged = [&window](bool busy) { window.setTransactionRunning(busy); };

    veld::app::PortPage ports(model, choice, [&link] { link.SetComClick(); });
    ports.refresh(veld::app::PortPage::SystemPorts());
    ports.showChoice();
    // Ports come and go (USB modems): the list is read again whenever its page is shown.
    const int portPage = window.pageIndex(model.form.TabSheet5);
    QObject::connect(&window, &veld::ui::MainWindow::pageShown, &window,
                     [&ports, portPage](int index) {
                         if (index == portPage)
                             ports.refresh(veld::app::PortPage::SystemPorts());
                     });

    window.centreOnScreen();
    window.show();

    if (!options.grabFile.isEmpty()) {
        window.pages().setCurrentIndex(options.grabPage);
        QTimer::singleShot(500, &window, [&] {
            const bool saved = window.grab().save(options.grabFile);
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    const int result = QApplication::exec();
    // The link goes first: nothing may report a transfer to a window that is gone.
    link.onTransfer1 = nullptr;
    link.onBusyChanged = nullptr;
    return result;
}
