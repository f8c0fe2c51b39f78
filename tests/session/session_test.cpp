#include "session/session.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <chrono>
#include <memory>

#include "../support/link_calls.h"
#include "../support/process_limits.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace veld::session {
namespace {

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using veld::testing::ReadKonst;

class SessionTest : public ::testing::Test {
protected:
    std::unique_ptr<Session> start(std::optional<QString> port, bool moving = false,
                                   link::PortLister ports = {}, bool window = false) {
        Options options;
        options.writeSettings = window;
        options.listPorts = std::move(ports);
        options.movingProcessValue = moving;
        options.port = std::move(port);
        options.settings = &settings;
        options.clock = &clock;
        return std::make_unique<Session>(prompts, std::move(options));
    }

    QTemporaryDir dir;
    QSettings settings{dir.filePath(u"veld.ini"_s), QSettings::IniFormat};
    link::VirtualClock clock;
    ScriptedPrompts prompts;
};

TEST_F(SessionTest, theWindowsSimulatorHasAMovingProcessValue) {
    for (const bool moving : {false, true}) {
        auto s = start(Session::kSimulatorAlias, moving);
        const auto first = s->device().readPv();
        clock.advance(15s);
        const auto later = s->device().readPv();
        ASSERT_TRUE(first && later);
        EXPECT_EQ(first->value != later->value, moving);
    }
}

TEST_F(SessionTest, portNamesSelectTheirPort) {
    // "COM9" is no item of "Nast COM": a name.
    const std::pair<QString, const char*> ports[] = {
        {u"sim"_s, "simulator"}, {u"simulator"_s, "simulator"},
        {u"com3"_s, "COM3"},     {u"COM8"_s, "COM8"},
        {u"COM9"_s, "COM9"},     {u"/dev/ttyUSB0"_s, "/dev/ttyUSB0"}};
    for (const auto& [given, opened] : ports) {
        auto s = start(given);
        EXPECT_EQ(s->portChoice().portName(), opened) << given.toStdString();
    }
    EXPECT_FALSE(Session::IsValidPort(QString()));
    EXPECT_FALSE(Session::IsValidPort(u" "_s));
}

TEST_F(SessionTest, aPortForThisRunIsNotRememberedButTheUsersNextChoiceIs) {
    settings.setValue(link::PortChoice::kComPortKey, u"Com3"_s);
    EXPECT_EQ(start(std::nullopt)->portChoice().portName(), "COM3");

    auto s = start(u"/dev/ttyUSB7"_s);
    s->portChoice().recordOpened(settings);  // as the link does after opening it
    auto sim = start(Session::kSimulatorAlias);
    ASSERT_FALSE(ReadKonst(sim->link(), 257, 2));
    EXPECT_EQ(settings.value(link::PortChoice::kComPortKey).toString(), u"Com3"_s);
    EXPECT_FALSE(settings.contains(link::PortChoice::kOtherPortKey));

    s->model().userSelected(s->model().form.SetCom, 1);
    s->portChoice().recordOpened(settings);
    EXPECT_EQ(settings.value(link::PortChoice::kComPortKey).toString(), u"Com2"_s);
}

#ifndef _WIN32
// The user's store (KT/VELD.conf in the configuration folder) is read when it is a file; a link to
// a device or a FIFO (whose reading would block for ever) is left alone, and that is said once.
TEST_F(SessionTest, theUsersStoreIsUsedOnlyWhenItIsAFile) {
    for (const char* kind : {"file", "device", "fifo"}) {
        QTemporaryDir home;
        const testing::ScopedEnv configHome("XDG_CONFIG_HOME", home.path().toUtf8());
        const QString store = home.filePath(u"KT/VELD.conf"_s);
        QSettings(store, QSettings::IniFormat).setValue(link::PortChoice::kComPortKey, u"Com3"_s);
        const bool file = kind == std::string("file");
        if (!file) {
            ASSERT_TRUE(QFile::remove(store));
            ASSERT_TRUE(kind == std::string("fifo") ? mkfifo(qPrintable(store), 0600) == 0
                                                    : QFile::link(u"/dev/null"_s, store));
        }
        prompts.messages.clear();
        Options options;
        options.clock = &clock;
        Session s(prompts, std::move(options));
        EXPECT_EQ(s.portChoice().portName(), file ? "COM3" : "COM1") << kind;
        EXPECT_EQ(prompts.messages.size(), file ? 0 : 1) << kind;
    }
}
#endif

TEST_F(SessionTest, fastTransfer_isRememberedAndAClickHoldsThePortForItsWholeOperation) {
    settings.setValue(Session::kFastTransferKey, u"yes please"_s);  // not as it is written: off
    EXPECT_FALSE(start(Session::kSimulatorAlias)->link().fastTransfer());
    auto s = start(Session::kSimulatorAlias);
    s->model().userToggled(s->model().form.RychlyPrenos, true);
    EXPECT_TRUE(s->link().fastTransfer());

    auto next = start(Session::kSimulatorAlias);
    config::MainWindowModel& m = next->model();
    EXPECT_TRUE(m.form.RychlyPrenos.checked);
    m.userClicked(m.form.Precist);  // the whole read
    EXPECT_EQ(m.lastOutcome(), config::Outcome::Completed);
    const std::size_t read = next->simDevice().RequestsReceived();
    EXPECT_GT(read, 5u);
    EXPECT_EQ(next->simTransport().OpenCount(), 1u);
    EXPECT_FALSE(next->simTransport().isOpen() || next->serialTransport().isOpen());

    m.userToggled(m.form.RychlyPrenos, false);
    m.userClicked(m.form.Prec_Pozn);  // the note: one opening a request, as ever
    EXPECT_EQ(m.lastOutcome(), config::Outcome::Completed);
    EXPECT_EQ(next->simTransport().OpenCount(), 1 + next->simDevice().RequestsReceived() - read);
    EXPECT_FALSE(start(Session::kSimulatorAlias)->link().fastTransfer());
}

TEST_F(SessionTest, theWindowsWriteSettingsAreRememberedForTheWindowAlone) {
    auto s = start(Session::kSimulatorAlias, false, {}, true);
    config::MainForm& f = s->model().form;
    EXPECT_FALSE(f.ZalohaPredZapisem.checked || f.OveritZapis.checked);
    prompts.fileAnswers.append(dir.path());
    s->model().userClicked(f.VybratSlozku);
    s->model().userToggled(f.ZalohaPredZapisem, true);
    s->model().userToggled(f.OveritZapis, true);
    const auto again = start(Session::kSimulatorAlias, false, {}, true);
    const config::MainForm& next = again->model().form;
    EXPECT_TRUE(next.ZalohaPredZapisem.checked && next.OveritZapis.checked);
    EXPECT_EQ(next.SlozkaZaloh.text(), dir.path());
    EXPECT_FALSE(start(Session::kSimulatorAlias)->model().form.OveritZapis.checked);
}

TEST_F(SessionTest, findTransmitterSelectsThePortThatAnswers) {
    const link::PortInfo missing{u"/dev/veld-none"_s, {}, {}, {}, {}, {}};
    auto s = start(u"COM4"_s, false, [&] {
        return QList<link::PortInfo>{missing, {u"simulator"_s, {}, {}, {}, {}, {}}};
    });
    config::MainWindowModel& m = s->model();
    m.userClicked(m.form.NajitPrevodnik);
    EXPECT_EQ(m.lastOutcome(), config::Outcome::Completed);
    EXPECT_EQ(prompts.messages, QStringList{u"Převodník nalezen na portu simulator."_s});
    EXPECT_EQ(s->portChoice().portName(), "simulator");
    EXPECT_EQ(m.form.DalsiPorty.items.value(m.form.DalsiPorty.itemIndex),
              PortPage::kSimulatorCaption);

    prompts.messages.clear();
    auto none = start(u"COM4"_s, false, [&] { return QList<link::PortInfo>{missing}; });
    none->model().userClicked(none->model().form.NajitPrevodnik);
    EXPECT_EQ(none->model().lastOutcome(), config::Outcome::Stopped);
    EXPECT_EQ(prompts.messages, QStringList{u"Převodník nebyl nalezen na žádném portu.\n"
                                            "/dev/veld-none: nelze otevřít"_s});
    EXPECT_EQ(none->portChoice().portName(), "COM4");  // as it was
    EXPECT_FALSE(settings.contains(link::PortChoice::kComPortKey));
}

}  // namespace
}  // namespace veld::session
