#include "config/comparators.h"

#include "config/handler_support.h"
#include "config/main_window_model.h"
#include "config/messages.h"
#include "config/number_format.h"
#include "config/text_util.h"
#include "link/dev_float.h"
#include "model/code_tables.h"
#include "model/eeprom_map.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {
namespace {

namespace map = model::eeprom;

const QString kHysteresis = q(model::kRelayHysteresis);

constexpr std::uint8_t kModeEnabled = 0x01;
constexpr std::uint8_t kModeWindow = 0x02;

bool validIndex(int k) {
    return k >= 1 && k <= Comparators::kCount;
}

// The transmitter's float keeps the value: a single that its exponent byte can carry (an
// exponent of 2^126 and beyond would be stored as another number).
bool fitsDevFloat(long double value) {
    const auto single = static_cast<float>(value);
    return std::isfinite(single) && link::DecodeDevFloat(link::EncodeDevFloat(single)) == single;
}

}  // namespace

bool Comparators::OutputPresent(int k, std::uint8_t modeFlags, std::uint8_t equipment) {
    if (k == 1)
        return (modeFlags & map::kModeFlagsOutput1) != 0;
    return validIndex(k) && (equipment & (1u << (k - 2))) != 0;
}

std::uint8_t Comparators::EnabledMode(std::uint8_t read, const QString& mode) {
    std::uint8_t byte = read | kModeEnabled;
    if (mode == kHysteresis)
        byte &= static_cast<std::uint8_t>(~kModeWindow);
    else
        byte |= kModeWindow;
    return byte;
}

template <class R>
bool Comparators::failed(const R& result) {
    if (result.ok())
        return false;
    failure_.record(result.failure());
    return true;
}

void Comparators::progress(int position) {
    m_.form.Prenos.position = position;
    m_.notifyChanged();
}

Outcome Comparators::PreckompClick(int k) {
    if (!validIndex(k))
        return Outcome::Stopped;
    ComparatorGroup& g = *m_.form.Komparator[static_cast<std::size_t>(k - 1)];
    const ButtonBusy hold(g.Preckomp);
    failure_.clear();
    Values& v = valuesOf(k);
    const DecimalSeparator separator = m_.settings().decimalSeparator;
    progress(0);
    for (Edit* e : {&g.EMezsep, &g.EMezroz, &g.EZpoSep, &g.EZpoRoz})
        e->setText(QString());

    const auto limitText = [&](float value) {
        return UpravaFormatu(QString::number(static_cast<double>(value), 'f', 5), separator);
    };
    const auto on = m_.device().readReal(map::ComparatorOnLimit(k).address);
    if (failed(on))
        return Outcome::Stopped;
    v.SwitchOnLimit = *on;
    g.EMezsep.setText(limitText(*on));
    progress(25);

    const auto off = m_.device().readReal(map::ComparatorOffLimit(k).address);
    if (failed(off))
        return Outcome::Stopped;
    v.SwitchOffLimit = *off;
    g.EMezroz.setText(limitText(*off));
    progress(50);

    // One read from the switch-on delay: the switch-off delay is its fifth byte.
    constexpr std::uint8_t kDelaySpan = 8;
    const auto delays = m_.device().readBytes(map::ComparatorOnDelay(k).address, kDelaySpan);
    if (failed(delays))
        return Outcome::Stopped;
    v.SwitchOnDelay = (*delays)[0];
    v.SwitchOffDelay = (*delays)[4];
    g.EZpoSep.setText(QString::number((*delays)[0]));
    g.EZpoRoz.setText(QString::number((*delays)[4]));
    progress(75);

    const auto mode = m_.device().readBytes(map::ComparatorMode(k).address, 1);
    if (failed(mode))
        return Outcome::Stopped;
    g.PovolKompar.checked = ((*mode)[0] & kModeEnabled) != 0;
    g.RezimRele.text = ((*mode)[0] & kModeWindow) != 0 ? q(model::kRelayWindow) : kHysteresis;
    progress(100);
    return Outcome::Completed;
}

Outcome Comparators::UlozkompClick(int k) {
    if (!validIndex(k))
        return Outcome::Stopped;
    ComparatorGroup& g = *m_.form.Komparator[static_cast<std::size_t>(k - 1)];
    const ButtonBusy hold(g.Ulozkomp);
    failure_.clear();
    progress(0);

    const std::pair<Edit*, QString> required[] = {
        {&g.EMezsep, kMsgNoSwitchOnLimit},
        {&g.EMezroz, kMsgNoSwitchOffLimit},
        {&g.EZpoSep, kMsgNoSwitchOnDelay},
        {&g.EZpoRoz, kMsgNoSwitchOffDelay},
    };
    for (const auto& [edit, message] : required) {
        if (edit->isEmpty()) {
            m_.prompts().message(message.arg(k));
            m_.prompts().focus(edit->name);
            return Outcome::Stopped;
        }
    }
    const bool enabling = g.PovolKompar.checked;
    const Outcome outcome = enabling ? enable(k, g) : disable(k);
    // Declining to switch a comparator off still ends at 100; declining the write does not.
    if (outcome == Outcome::Stopped || (outcome == Outcome::Declined && enabling))
        return outcome;
    // No reset: the settings take effect when the power is switched off and on.
    progress(100);
    return outcome;
}

Outcome Comparators::enable(int k, ComparatorGroup& g) {
    const Values& v = valuesOf(k);
    // A delay the exit check refused is not written: its whole part would be a setting the user
    // never chose. Checked before anything is sent.
    const std::pair<Edit*, QString> delays[] = {
        {&g.EZpoSep, delayRangeMessage(v.SwitchOnDelay, Delay::On)},
        {&g.EZpoRoz, delayRangeMessage(v.SwitchOffDelay, Delay::Off)},
    };
    for (const auto& [edit, message] : delays) {
        if (!message.isEmpty()) {
            m_.prompts().message(message);
            m_.prompts().focus(edit->name);
            return Outcome::Stopped;
        }
    }

    link::DeviceAccess& device = m_.device();
    const auto present = device.readBytes(map::kModeFlags.address, 2);
    if (failed(present))
        return Outcome::Stopped;
    if (!OutputPresent(k, (*present)[0], (*present)[1])) {
        m_.prompts().message(kMsgNoRelayOutput.arg(k));
        g.PovolKompar.checked = false;
        return Outcome::Stopped;
    }
    progress(20);
    if (!m_.prompts().question(kAskWriteRelay.arg(k) + kRestartNote))
        return Outcome::Declined;

    const auto wholeSeconds = [](long double s) {
        return static_cast<std::uint8_t>(std::trunc(s));  // 0..255, checked above
    };
    const std::uint8_t onDelay = wholeSeconds(v.SwitchOnDelay);
    if (failed(device.writeBytes(map::ComparatorOnDelay(k).address, {&onDelay, 1})))
        return Outcome::Stopped;
    progress(40);
    const std::uint8_t offDelay = wholeSeconds(v.SwitchOffDelay);
    if (failed(device.writeBytes(map::ComparatorOffDelay(k).address, {&offDelay, 1})))
        return Outcome::Stopped;
    progress(40);
    const float limits[] = {static_cast<float>(v.SwitchOnLimit),
                            static_cast<float>(v.SwitchOffLimit)};
    if (failed(device.writeReals(map::ComparatorOnLimit(k).address, limits)))
        return Outcome::Stopped;
    progress(60);

    const auto mode = device.readBytes(map::ComparatorMode(k).address, 1);
    if (failed(mode))
        return Outcome::Stopped;
    const std::uint8_t written = EnabledMode((*mode)[0], g.RezimRele.text);
    if (failed(device.writeBytes(map::ComparatorMode(k).address, {&written, 1})))
        return Outcome::Stopped;
    progress(80);
    return Outcome::Completed;
}

Outcome Comparators::disable(int k) {
    if (!m_.prompts().question(kAskDisableComparator.arg(k) + kRestartNote))
        return Outcome::Declined;
    link::DeviceAccess& device = m_.device();
    // Limits and delays stay in the transmitter; only the enable bit goes.
    const auto mode = device.readBytes(map::ComparatorMode(k).address, 1);
    if (failed(mode))
        return Outcome::Stopped;
    const auto written = static_cast<std::uint8_t>((*mode)[0] & ~kModeEnabled);
    if (failed(device.writeBytes(map::ComparatorMode(k).address, {&written, 1})))
        return Outcome::Stopped;
    progress(80);
    return Outcome::Completed;
}

void Comparators::EMezsepExit(int k) {
    limitExit(k, Limit::On);
}

void Comparators::EMezrozExit(int k) {
    limitExit(k, Limit::Off);
}

void Comparators::limitExit(int k, Limit which) {
    if (!validIndex(k))
        return;
    ComparatorGroup& g = *m_.form.Komparator[static_cast<std::size_t>(k - 1)];
    Edit& edit = which == Limit::On ? g.EMezsep : g.EMezroz;
    if (edit.isEmpty())
        return;
    Values& v = valuesOf(k);
    edit.setText(m_.checks().UpravaFormatu(edit.text()));
    const auto value = ParseReal(edit.text(), m_.settings().decimalSeparator);
    // A limit the transmitter's float cannot hold would be stored as another number.
    if (value && fitsDevFloat(*value)) {
        (which == Limit::On ? v.SwitchOnLimit : v.SwitchOffLimit) = *value;
    } else {
        m_.prompts().message(
            (which == Limit::On ? kMsgBadSwitchOnLimit : kMsgBadSwitchOffLimit).arg(k));
        m_.prompts().focus(edit.name);
    }
    if (v.SwitchOnLimit == v.SwitchOffLimit) {
        m_.prompts().message(kMsgEqualLimits);
        m_.prompts().focus(edit.name);
    }
}

void Comparators::EZpoSepExit(int k) {
    delayExit(k, Delay::On);
}

void Comparators::EZpoRozExit(int k) {
    delayExit(k, Delay::Off);
}

QString Comparators::delayRangeMessage(long double seconds, Delay which) {
    if (seconds >= 0 && seconds <= 255)
        return {};
    return which == Delay::On ? kMsgSwitchOnDelayRange : kMsgSwitchOffDelayRange;
}

void Comparators::delayExit(int k, Delay which) {
    if (!validIndex(k))
        return;
    ComparatorGroup& g = *m_.form.Komparator[static_cast<std::size_t>(k - 1)];
    Edit& edit = which == Delay::On ? g.EZpoSep : g.EZpoRoz;
    if (edit.isEmpty())
        return;
    long double& stored =
        which == Delay::On ? valuesOf(k).SwitchOnDelay : valuesOf(k).SwitchOffDelay;
    edit.setText(m_.checks().UpravaFormatu(edit.text()));
    if (const auto value = ParseReal(edit.text(), m_.settings().decimalSeparator)) {
        stored = *value;
    } else {
        m_.prompts().message(which == Delay::On ? kMsgBadSwitchOnDelay : kMsgBadSwitchOffDelay);
        m_.prompts().focus(edit.name);
    }
    const QString outside = delayRangeMessage(stored, which);
    if (!outside.isEmpty()) {
        m_.prompts().message(outside);
        m_.prompts().focus(edit.name);
    }
}

void Comparators::RezimReleChange(int) {
    m_.prompts().message(kMsgModeAfterRestart);
}

}  // namespace veld::config
