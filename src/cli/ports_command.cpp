#include "cli/ports_command.h"

#include "cli/messages.h"

#include <QJsonArray>
#include <QJsonObject>

namespace veld::cli {

namespace {

QString OrDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : text;
}

QJsonValue OrNull(const QString& text) {
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonValue OrNull(const std::optional<unsigned>& number) {
    return number ? QJsonValue(static_cast<int>(*number)) : QJsonValue(QJsonValue::Null);
}

QString Usb(const link::PortInfo& port) {
    if (!port.vendorId && !port.productId)
        return QStringLiteral("-");
    auto hex = [](const std::optional<unsigned>& n) {
        return n ? QStringLiteral("%1").arg(*n, 4, 16, QLatin1Char('0')) : QStringLiteral("?");
    };
    return hex(port.vendorId) + u':' + hex(port.productId);
}

}  // namespace

std::string PortsCommand::usage() const {
    return "usage: veld-cli [--json] ports";
}

std::string PortsCommand::help() const {
    return "Lists the serial ports the system has, one line each, tab-separated: the port (as\n"
           "--port takes it), description, maker, USB vendor:product (hex), serial number; \"-\"\n"
           "where the system does not know. With --json: {\"ports\": [...]}, each port an object\n"
           "with port, description, manufacturer, vendorId, productId (numbers) and\n"
           "serialNumber, null where unknown. Opens no port; \"--port auto\" tries them in this\n"
           "order.\n";
}

int PortsCommand::execute(const std::vector<std::string>& args, Context& context) {
    if (!args.empty())
        return usageError(context, "ports takes no arguments");
    const QList<link::PortInfo> ports = context.listPorts();
    if (context.json()) {
        QJsonArray list;
        for (const link::PortInfo& p : ports)
            list.append(QJsonObject{{QStringLiteral("port"), p.port},
                                    {QStringLiteral("description"), OrNull(p.description)},
                                    {QStringLiteral("manufacturer"), OrNull(p.manufacturer)},
                                    {QStringLiteral("vendorId"), OrNull(p.vendorId)},
                                    {QStringLiteral("productId"), OrNull(p.productId)},
                                    {QStringLiteral("serialNumber"), OrNull(p.serialNumber)}});
        context.writeJson({{QStringLiteral("ports"), list}});
        return kSuccess;
    }
    if (ports.isEmpty())
        context.err() << kMsgNoSerialPort << '\n';
    for (const link::PortInfo& p : ports) {
        const QStringList fields{p.port, OrDash(p.description), OrDash(p.manufacturer), Usb(p),
                                 OrDash(p.serialNumber)};
        context.out() << fields.join(u'\t').toStdString() << '\n';
    }
    context.out() << std::flush;
    return kSuccess;
}

}  // namespace veld::cli
