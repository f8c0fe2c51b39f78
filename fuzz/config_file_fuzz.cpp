// The configuration-file loader on arbitrary file contents, each into a fresh program: a file it
// refuses leaves every control as it was, and no file touches the linearization points.

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "common/prompts.h"
#include "config/main_window_model.h"
#include "fuzz_check.h"
#include "link/clock.h"
#include "link/device_access.h"
#include "link/link.h"
#include "link/port_choice.h"
#include "link/transport.h"

using namespace veld;
using namespace veld::config;

namespace {

// Loading a file never talks to the transmitter; a port that never opens makes sure.
class ClosedTransport final : public link::Transport {
public:
    bool open(const std::string&) override { return false; }
    void close() override {}
    bool isOpen() const override { return false; }
    std::int64_t write(std::span<const std::uint8_t>) override { return 0; }
    void setDtr(bool) override {}
    void setRts(bool) override {}
};

struct Fixture {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("konfigurace.txt"));
    QString saved = dir.filePath(QStringLiteral("ulozeno.txt"));
    QSettings settings{dir.filePath(QStringLiteral("veld.ini")), QSettings::IniFormat};
};

Fixture& Files() {
    static Fixture fixture;
    return fixture;
}

// Everything a user can see of the controls.
QStringList Snapshot(const std::vector<Control*>& controls) {
    QStringList out;
    for (const Control* c : controls) {
        QString s = c->name + QString::number(int{c->visible}) + QString::number(int{c->enabled});
        if (const auto* e = dynamic_cast<const Edit*>(c))
            s += u'|' + e->text();
        if (const auto* b = dynamic_cast<const ComboBox*>(c))
            s += u'|' + b->text + u'|' + b->items.join(u'/');
        if (const auto* l = dynamic_cast<const Label*>(c))
            s += u'|' + l->caption;
        if (const auto* k = dynamic_cast<const CheckBox*>(c))
            s += u'|' + QString::number(int{k->checked});
        if (const auto* r = dynamic_cast<const RadioGroup*>(c))
            s += u'|' + QString::number(r->itemIndex) + r->items.join(u'/');
        if (const auto* l = dynamic_cast<const ListBox*>(c))
            s += u'|' + QString::number(l->itemIndex) + l->items.join(u'/');
        if (const auto* g = dynamic_cast<const StringGrid*>(c)) {
            for (int row = 0; row < g->rowCount(); ++row)
                for (int col = 0; col < g->columnCount(); ++col)
                    s += u'|' + g->cell(col, row);
        }
        out.append(s);
    }
    return out;
}

QStringList Snapshot(const MainWindowModel& m) {
    QStringList s = Snapshot(m.form.controls()) + Snapshot(m.dialog.controls());
    const model::TransmitterConfig& c = m.config;
    for (const long double v : {c.RangeBegin, c.RangeEnd, c.Damping, c.PvCorrection,
                                c.TotalResistance, c.SenseResistance, c.DividerRatio})
        s.append(QString::number(static_cast<double>(v), 'g', 17));
    for (const int v : {int{c.InputType}, int{c.UnitCode}, int{c.LinMode}, int{c.FaultCurrent},
                        int{c.Wiring}, int{c.DisplayCurve}})
        s.append(QString::number(v));
    s.append(QString::number(int{m.points.PointsLoaded}) + QString::number(m.points.PointCount) +
             QString::number(m.points.PointTotal) + QString::number(int{m.state.LinFileChosen}));
    return s;
}

// A fresh program for every file; one that refused its file is as fresh as before (that is the
// property checked), so it serves the next file too and the costly construction is rare.
struct Program {
    Program(Fixture& files, DecimalSeparator separator)
        : engine(transport, clock, prompts, port, files.settings) {
        port.setPersistent(false);
        settings.decimalSeparator = separator;
        settings.directoryExists = [](const QString&) { return false; };
        settings.documentsDirectory = files.dir.path();
        model = std::make_unique<MainWindowModel>(prompts, access, settings);
        fresh = Snapshot(*model);
    }

    link::VirtualClock clock;
    ClosedTransport transport;
    ScriptedPrompts prompts;
    link::PortChoice port;
    link::Link engine;
    link::DeviceAccess access{engine};
    ModelSettings settings;
    std::unique_ptr<MainWindowModel> model;
    QStringList fresh;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fixture& files = Files();
    {
        QFile f(files.file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    // Files load on a system with either decimal separator; the length of the file picks one.
    const DecimalSeparator separator =
        size % 2 == 0 ? DecimalSeparator::Point : DecimalSeparator::Comma;
    static std::unique_ptr<Program> programs[2];
    std::unique_ptr<Program>& program = programs[size % 2];
    if (!program)
        program = std::make_unique<Program>(files, separator);
    MainWindowModel& model = *program->model;
    ScriptedPrompts& prompts = program->prompts;
    prompts.messages.clear();

    const bool pointsBefore = model.points.PointsLoaded;
    const Outcome outcome = model.configFile().load(files.file);
    if (std::getenv("VELD_FUZZ_TRACE")) {
        std::fprintf(stderr, "outcome %d: %s\n", static_cast<int>(outcome),
                     qUtf8Printable(prompts.messages.join(u" | ")));
    }
    FUZZ_CHECK(model.points.PointsLoaded == pointsBefore, "a configuration file loads no points");
    // "ze souboru" asks for the point file as the user's choice would; nothing else is asked.
    for (const FileDialogRequest& request : prompts.fileRequests)
        FUZZ_CHECK(request.title == model.form.OpenDialog1.title,
                   "loading a file asks for no file but the point file");
    prompts.fileRequests.clear();
    if (outcome == Outcome::Completed) {
        // What was loaded saves and loads back the same in a fresh program.
        const QStringList lines = model.configFile().Lines();
        const bool savedOk = model.configFile().save(files.saved) == Outcome::Completed;
        program = std::make_unique<Program>(files, separator);
        if (savedOk) {
            FUZZ_CHECK(program->model->configFile().load(files.saved) == Outcome::Completed,
                       "a saved file loads");
            FUZZ_CHECK(program->model->configFile().Lines() == lines,
                       "a saved file loads back as it was");
            program.reset();
        }
        return 0;
    }
    FUZZ_CHECK(!prompts.messages.isEmpty(), "a refused file says why");
    FUZZ_CHECK(Snapshot(model) == program->fresh, "a refused file changes nothing");
    return 0;
}
