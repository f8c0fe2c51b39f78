#pragma once

#include <QSettings>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "common/prompts.h"
#include "link/link.h"
#include "link/port_choice.h"
#include "link/real_clock.h"
#include "link/serial_transport.h"

namespace veld::cli {

// Messages go to standard error in UTF-8; questions are answered Yes (the command line has
// already said what it wants); there are no file dialogs.
class StreamPrompts final : public Prompts {
public:
    explicit StreamPrompts(std::ostream& err) : err_(err) {}
    void message(const QString& text) override { err_ << text.toStdString() << '\n'; }
    bool question(const QString&) override { return true; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    void focus(const QString&) override {}

private:
    std::ostream& err_;
};

// Everything a command needs to talk to the transmitter, built lazily: the window's engine over
// a real serial port. `--port` names the port for this run only; without it the remembered
// choice is used and kept up to date, as the window does.
class LinkSession {
public:
    explicit LinkSession(std::optional<std::string> port) : port_(std::move(port)) {}

    link::Link& link(std::ostream& err);

private:
    std::optional<std::string> port_;
    std::unique_ptr<QSettings> settings_;
    std::unique_ptr<link::SerialTransport> transport_;
    std::unique_ptr<link::RealClock> clock_;
    std::unique_ptr<StreamPrompts> prompts_;
    link::PortChoice choice_;
    std::unique_ptr<link::Link> link_;
};

// Reads a port name as the window's choices know it: "COM1".."COM8" select the COM items,
// anything else is a device path.
void SelectPort(link::PortChoice& choice, const std::string& name);

}  // namespace veld::cli
