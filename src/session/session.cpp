#include "session/session.h"

#include <QRegularExpression>
#include <QStandardPaths>

#include "config/file_write.h"
#include "link/real_clock.h"
#include "session/messages.h"

namespace veld::session {

namespace {

// The user's store. Where it is a file (Linux and the like: what QSettings("KT", "VELD") reads,
// without the organization-wide and system-wide files it would consult besides), it is used only
// when it is a regular file or missing: reading a FIFO blocks for ever, and a save by root through
// a link to a device would replace the device. Otherwise the program runs on the defaults, in a
// store that keeps nothing (a resource name can never be written).
std::unique_ptr<QSettings> SettingsUnless(QSettings* given, Prompts& prompts) {
    if (given)
        return nullptr;
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/KT/VELD.conf");
    if (config::IsMissingOrRegularFile(path))
        return std::make_unique<QSettings>(path, QSettings::IniFormat);
    prompts.message(kMsgSettingsUnusable.arg(path));
    return std::make_unique<QSettings>(QStringLiteral(":/veld-defaults.conf"),
                                       QSettings::IniFormat);
#else
    (void)prompts;
    return std::make_unique<QSettings>(QStringLiteral("KT"), QStringLiteral("VELD"));
#endif
}

std::unique_ptr<link::Clock> ClockUnless(link::Clock* given) {
    if (given)
        return nullptr;
    return std::make_unique<link::RealClock>();
}

// Off unless the store holds it switched on, as it writes it.
bool RememberedFlag(QSettings& settings, const QString& key) {
    if (settings.status() != QSettings::NoError)
        return false;
    const QVariant value = settings.value(key);
    return value.typeId() == QMetaType::Bool ? value.toBool()
                                             : value.toString() == QLatin1String("true");
}

}  // namespace

Session::Session(Prompts& prompts, Options options)
    : prompts_(prompts),
      ownSettings_(SettingsUnless(options.settings, prompts)),
      settings_(options.settings ? *options.settings : *ownSettings_),
      ownClock_(ClockUnless(options.clock)),
      clock_(options.clock ? *options.clock : *ownClock_),
      simTransport_(simDevice_, simFaults_, clock_),
      router_(serial_, simTransport_),
      link_(router_, clock_, prompts_, choice_, settings_),
      device_(link_),
      model_(prompts_, device_, std::move(options.model)),
      portPage_(model_, choice_, [this] { link_.SetComClick(); }),
      listPorts_(options.listPorts ? std::move(options.listPorts) : link::SystemSerialPorts) {
    if (options.movingProcessValue)
        simDevice_.SetProcessWave(sim::ProcessWave{});
    choice_.restore(settings_);
    if (options.port && IsValidPort(*options.port)) {
        SelectPort(choice_, *options.port);
        choice_.setPersistent(false);
    }
    const bool fast = options.fastTransfer.value_or(RememberedFlag(settings_, kFastTransferKey));
    link_.setFastTransfer(fast);
    model_.form.RychlyPrenos.checked = fast;
    config::ComPage& page = model_.com();
    page.fastTransferChosen = [this](bool on) {
        link_.setFastTransfer(on);
        settings_.setValue(kFastTransferKey, on);
        settings_.sync();
    };
    page.findTransmitter = [this] {
        const PortSearch search = findTransmitter();
        prompts_.message(search.summary());
        if (!search.found)
            return config::Outcome::Stopped;
        // Chosen by the user's click: remembered, as a port picked from the list is.
        choice_.setPersistent(true);
        choice_.recordOpened(settings_);
        portPage_.showChoice();
        return config::Outcome::Completed;
    };
    link_.onTransfer1 = [this](int position) { model_.setTransfer(position); };
    link_.onBusyChanged = [this](bool busy) { model_.setBusy(busy); };
    if (options.writeSettings)
        bindWriteSettings();
}

void Session::bindWriteSettings() {
    config::MainForm& f = model_.form;
    f.ZalohaPredZapisem.checked = RememberedFlag(settings_, kBackupBeforeWriteKey);
    f.OveritZapis.checked = RememberedFlag(settings_, kVerifyWriteKey);
    if (settings_.status() == QSettings::NoError)
        f.SlozkaZaloh.setText(settings_.value(kBackupFolderKey).toString());
    model_.backupPage().settingsChanged = [this] {
        const config::MainForm& form = model_.form;
        settings_.setValue(kBackupBeforeWriteKey, form.ZalohaPredZapisem.checked);
        settings_.setValue(kVerifyWriteKey, form.OveritZapis.checked);
        settings_.setValue(kBackupFolderKey, form.SlozkaZaloh.text());
        settings_.sync();
    };
}

Session::~Session() {
    // Nothing may report a transfer to a model that is going.
    link_.onTransfer1 = nullptr;
    link_.onBusyChanged = nullptr;
    model_.com().fastTransferChosen = nullptr;
    model_.com().findTransmitter = nullptr;
    model_.backupPage().settingsChanged = nullptr;
}

PortSearch Session::findTransmitter(const std::function<void(const PortTrial&)>& tried) {
    return FindTransmitter(device_, choice_, listPorts_(), tried);
}

bool Session::IsValidPort(const QString& name) {
    return !name.trimmed().isEmpty();
}

void Session::SelectPort(link::PortChoice& choice, const QString& name) {
    static const QRegularExpression com(QStringLiteral("^COM([1-8])$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const auto match = com.match(name);
    if (match.hasMatch())
        choice.selectCom(match.captured(1).toInt() - 1);
    else if (name == kSimulatorAlias || name == QLatin1StringView(PortRouter::kSimulatorPort))
        choice.selectOther(QString::fromLatin1(PortRouter::kSimulatorPort), false);
    else
        choice.selectOther(name);
}

}  // namespace veld::session
