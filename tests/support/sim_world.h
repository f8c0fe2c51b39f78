#pragma once

// One simulated world on the virtual clock: the program's link and device access talking to the
// simulated transmitter in process. A test builds a fresh one in one line and reaches every part
// by name; nothing is shared between worlds.

#include <QSettings>
#include <QTemporaryDir>

#include "common/prompts.h"
#include "link/clock.h"
#include "link/device_access.h"
#include "link/link.h"
#include "link/port_choice.h"
#include "sim/device.h"
#include "sim/fault_policy.h"
#include "sim/memory_image.h"
#include "sim/sim_transport.h"

namespace veld::testing {

struct SimWorld {
    // Pacing on: replies take the time a 14400 bit/s line needs, as in the program.
    explicit SimWorld(bool pacing = true) {
        transport.SetPacing(pacing);
        portChoice.selectOther(QString::fromLatin1(sim::SimTransport::kDefaultPortName), false);
    }

    QTemporaryDir settingsDir;
    QSettings settings{settingsDir.filePath(QStringLiteral("veld.ini")), QSettings::IniFormat};
    link::VirtualClock clock;
    sim::MemoryImage memory;
    sim::Device device{memory};
    sim::FaultPolicy faults;
    sim::SimTransport transport{device, faults, clock};
    ScriptedPrompts prompts;
    link::PortChoice portChoice;
    link::Link link{transport, clock, prompts, portChoice, settings};
    link::DeviceAccess access{link};
};

}  // namespace veld::testing
