#pragma once

// One running program without its front end: the window program and the command-line tool (and
// the end-to-end tests) build everything below the widgets and the argument parsing through
// here, so both run the same engine, device access and presentation model.

#include <QSettings>
#include <QString>
#include <memory>
#include <optional>

#include "common/prompts.h"
#include "config/input_state.h"
#include "config/main_window_model.h"
#include "link/clock.h"
#include "link/device_access.h"
#include "link/link.h"
#include "link/port_choice.h"
#include "link/port_list.h"
#include "link/serial_transport.h"
#include "session/port_finder.h"
#include "session/port_page.h"
#include "session/port_router.h"
#include "sim/device.h"
#include "sim/fault_policy.h"
#include "sim/memory_image.h"
#include "sim/sim_transport.h"

namespace veld::session {

struct Options {
    // A port for this run only, never remembered: "COM1".."COM8", a device path or a
    // pseudo-terminal, or "sim" for the built-in simulated transmitter. Empty: the remembered
    // port. An empty name is no port at all; callers refuse it (see IsValidPort).
    std::optional<QString> port;
    // The settings that remember the port. Default: the user's (organization "KT", application
    // "VELD"), owned by the session.
    QSettings* settings = nullptr;
    // Default: the real clock, which waits in a local event loop. Tests pass a virtual clock.
    link::Clock* clock = nullptr;
    config::ModelSettings model;
    // The fast transfer (Link::setFastTransfer) for this run, not remembered. nullopt: the
    // remembered setting of the page "Komunikace".
    std::optional<bool> fastTransfer;
    // The serial ports the search for the transmitter tries. Default: the system's.
    link::PortLister listPorts;
    // The built-in simulator's process value moves (a slow wave), so the window's trend lives
    // without hardware. Off, it stands still, as tests want it.
    bool movingProcessValue = false;
    // The window's settings of the whole write ("Zálohovat před každým zápisem" with its folder,
    // "Ověřit zápis") are taken from the settings and remembered there. Off, they stay off: the
    // command line asks for a verified write with its own option.
    bool writeSettings = false;
};

class Session {
public:
    // The name that selects the built-in simulator on the command line.
    static inline const QString kSimulatorAlias = QStringLiteral("sim");
    // Where the check box "Rychlý přenos" is remembered, beside the port.
    static inline const QString kFastTransferKey = QStringLiteral("FastTransfer");
    // Where the page "Záloha" keeps its settings (Options::writeSettings).
    static inline const QString kBackupBeforeWriteKey = QStringLiteral("BackupBeforeWrite");
    static inline const QString kBackupFolderKey = QStringLiteral("BackupFolder");
    static inline const QString kVerifyWriteKey = QStringLiteral("VerifyWrite");

    Session(Prompts& prompts, Options options = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    config::MainWindowModel& model() { return model_; }
    link::DeviceAccess& device() { return device_; }
    link::Link& link() { return link_; }
    link::PortChoice& portChoice() { return choice_; }
    // The page "Komunikace" bound to the port choice; the window fills its list of ports and
    // shows the choice on it.
    PortPage& portPage() { return portPage_; }
    QSettings& settings() { return settings_; }
    link::Clock& clock() { return clock_; }
    Prompts& prompts() { return prompts_; }

    // The simulated transmitter behind the port "sim", with its memory and faults.
    sim::MemoryImage& simMemory() { return simMemory_; }
    sim::Device& simDevice() { return simDevice_; }
    sim::FaultPolicy& simFaults() { return simFaults_; }
    sim::SimTransport& simTransport() { return simTransport_; }
    link::SerialTransport& serialTransport() { return serial_; }

    // The serial ports the system lists (or the list Options::listPorts gives).
    QList<link::PortInfo> listPorts() const { return listPorts_(); }
    // Tries the listed ports for the transmitter (FindTransmitter); the port found is the one
    // the next transaction opens.
    PortSearch findTransmitter(const std::function<void(const PortTrial&)>& tried = {});

    // False for a name that names no port (empty or blank).
    static bool IsValidPort(const QString& name);
    // Chooses the port by its name as Options::port reads it.
    static void SelectPort(link::PortChoice& choice, const QString& name);

private:
    void bindWriteSettings();

    Prompts& prompts_;
    std::unique_ptr<QSettings> ownSettings_;
    QSettings& settings_;
    std::unique_ptr<link::Clock> ownClock_;
    link::Clock& clock_;
    link::PortChoice choice_;
    link::SerialTransport serial_;
    sim::MemoryImage simMemory_;
    sim::Device simDevice_{simMemory_};
    sim::FaultPolicy simFaults_;
    sim::SimTransport simTransport_;
    PortRouter router_;
    link::Link link_;
    link::DeviceAccess device_;
    config::MainWindowModel model_;
    PortPage portPage_;
    link::PortLister listPorts_;
};

}  // namespace veld::session
