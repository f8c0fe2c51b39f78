// The window program: the main window on the session's presentation model, the transaction
// engine on a serial port or on the built-in simulated transmitter.

#include "config/file_write.h"
#include "config/traffic_log.h"
#include "session/session.h"
#include "ui/main_window.h"
#include "ui/qt_prompts.h"

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QTabWidget>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <string_view>
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
    QCommandLineOption grabPage(u"grab-page"_s, u"Page shown in the picture (0-7)."_s, u"N"_s,
                                u"0"_s);
    grabPage.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({simulator, grab, grabPage});
    parser.process(app);
    return {parser.isSet(simulator), parser.value(grab), parser.value(grabPage).toInt()};
}

// The options QCommandLineParser answers with its help text.
bool asksForHelp(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg == "--")
            return false;
        if (arg == "-h" || arg == "-?" || arg == "--help" || arg == "--help-all")
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    // The help is text for the terminal: it must not need a display, which a terminal may lack.
    if (asksForHelp(argc, argv))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(u"KT"_s);
    QCoreApplication::setApplicationName(u"VELD"_s);
    // The installed menu entry and icon (desktops match the window to its entry by this name).
    QGuiApplication::setDesktopFileName(u"veld-konf"_s);
    QApplication::setWindowIcon(QIcon::fromTheme(u"veld-konf"_s));
    // The file dialogs speak Czech where the system has Qt's translations.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Czech), u"qtbase"_s, u"_"_s,
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    const Options options = parseOptions(app);

    // Declared before the session: the link reports to it until the session has gone.
    veld::config::TrafficLog traffic;
    veld::ui::QtPrompts dialogs(u"VELD"_s);
    veld::ui::WindowPrompts prompts(dialogs);
    veld::session::Options sessionOptions;
    sessionOptions.movingProcessValue = true;
    sessionOptions.writeSettings = true;
    if (options.simulator)
        sessionOptions.port = veld::session::Session::kSimulatorAlias;
    veld::session::Session session(prompts, std::move(sessionOptions));
    dialogs.setSettings(&session.settings());
    veld::ui::MainWindow window(session.model(), prompts);
    session.link().onTransaction = [&traffic](const veld::link::TransactionRecord& r) {
        traffic.add(r);
    };
    window.addTrafficPage(traffic);

    veld::session::PortPage& ports = session.portPage();
    ports.refresh(veld::session::PortPage::SystemPorts());
    ports.showChoice();
    // Ports come and go (USB modems): the list is read again whenever its page is shown.
    const int portPage = window.pageIndex(session.model().form.TabSheet5);
    QObject::connect(&window, &veld::ui::MainWindow::pageShown, &window,
                     [&ports, portPage](int index) {
                         if (index == portPage)
                             ports.refresh(veld::session::PortPage::SystemPorts());
                     });

    window.fitOnScreen();
    window.show();

    if (!options.grabFile.isEmpty()) {
        window.pages().setCurrentIndex(options.grabPage);
        QTimer::singleShot(500, &window, [&] {
            QByteArray picture;
            QBuffer buffer(&picture);
            buffer.open(QIODevice::WriteOnly);
            const QByteArray format = QFileInfo(options.grabFile).suffix().toLower().toLatin1();
            if (!window.grab().save(&buffer, format.isEmpty() ? "png" : format.constData())) {
                std::fputs("Obrázek okna nelze v tomto formátu uložit.\n", stderr);
                QCoreApplication::exit(1);
                return;
            }
            const veld::config::FileWrite written =
                veld::config::WriteFileAtomically(options.grabFile, picture);
            if (!written) {
                const QString why = written.status == veld::config::FileWrite::NotAFile
                                        ? u"není to soubor"_s
                                        : veld::config::FileErrorText(written.error);
                std::fprintf(stderr, "Obrázek okna se nepodařilo uložit: %s\n", qPrintable(why));
            }
            QCoreApplication::exit(written ? 0 : 1);
        });
    }
    return QApplication::exec();
}
