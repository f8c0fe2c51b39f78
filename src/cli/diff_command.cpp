#include "cli/diff_command.h"

#include <QJsonArray>
#include <QJsonObject>

#include "cli/handler_failure.h"
#include "config/config_compare.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::cli {

std::string DiffCommand::usage() const {
    return "usage: veld-cli [--port PORT] [--json] diff FILE [--points POINTS]";
}

std::string DiffCommand::help() const {
    return "Reads the transmitter's configuration as \"&Přečíst z převodníku\" does and compares\n"
           "it with the configuration file FILE as loading it makes it, field by field. Prints\n"
           "only the differences, one a line as \"field: transmitter → file\" with the file's\n"
           "names of the fields (with --json one object). Numbers are equal when they are equal\n"
           "as the transmitter stores them (single precision). Nothing is written.\n"
           "  --points POINTS  the point file, where FILE says \"linearizace: ze souboru\"\n"
           "Exit status 0 when they are equal, 1 when they differ or the read stopped, 2 usage.\n";
}

int ReportDifferences(const std::vector<config::FieldDifference>& differences, Context& context) {
    if (context.json()) {
        QJsonArray list;
        for (const config::FieldDifference& d : differences)
            list.append(QJsonObject{
                {u"field"_s, d.field}, {u"transmitter"_s, d.transmitter}, {u"file"_s, d.file}});
        context.writeJson({{u"equal"_s, differences.empty()}, {u"differences"_s, list}});
    } else {
        for (const QString& line : config::DifferenceLines(differences))
            context.out() << line.toStdString() << '\n';
        context.out() << std::flush;
    }
    return differences.empty() ? kSuccess : kFailure;
}

int DiffCommand::run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) {
    QString file;
    std::optional<QString> points;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--points") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return usageError(context, "--points needs a file name");
            points = QString::fromStdString(args[++i]);
        } else if (args[i].starts_with("-")) {
            return usageError(context, "unknown option '" + args[i] + "'");
        } else if (file.isEmpty() && !args[i].empty()) {
            file = QString::fromStdString(args[i]);
        } else {
            return usageError(context, "diff takes one FILE");
        }
    }
    if (file.isEmpty())
        return usageError(context, "missing the configuration file FILE");

    config::MainWindowModel& m = driver.model();
    const config::Outcome read = driver.click(m.form.Precist.name);
    if (read != config::Outcome::Completed) {
        ReportSilentFailure(context.err(), m.readAll().lastFailure());
        return kFailure;
    }
    const QStringList transmitter = m.configFile().Lines();
    context.prompts().queueFile(file);
    if (points)
        context.prompts().queueFile(*points);
    const config::Outcome loaded = driver.click(m.form.ctisoub.name);
    if (loaded != config::Outcome::Completed)
        return kFailure;
    return ReportDifferences(config::CompareConfigurations(transmitter, m.configFile().Lines()),
                             context);
}

}  // namespace veld::cli
