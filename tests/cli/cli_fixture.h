#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "config/cp1250.h"
#include "session/session.h"
#include "support/program.h"

namespace veld::cli::test {

using namespace Qt::Literals::StringLiterals;

// The simulator's configuration as "read" prints it.
inline const QString kFactory =
    u"Konfigurační data pro GALVO-PRIM:\n\nvstup: odporový teploměr Pt100\ndolní mez: 0\n"
    "horní mez: 100\njednotka: °C\nlinearizace: linearizováno\ntlumení: 1.0s\n"
    "chybový proud: nadproud\npřipojení čidla: třívodičově\nParazitní odpor: 0.000\n"_s;

// veld-cli run in process on captured streams, in a home of its own (settings, folder, virtual
// clock); "--port sim" reaches the session's simulated transmitter, which `prepare` can fill or
// make misbehave.
class CliTest : public ::testing::Test, protected testing::ProgramHome {
protected:
    int run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        raised = 0;
        Environment environment{in, out, err, terminal};
        environment.interruption = [this] { return raised; };
        environment.settings = &settings;
        environment.clock = &clock;
        environment.listPorts = listPorts;
        environment.onSession = [this](session::Session& s) {
            if (prepare)
                prepare(s);
        };
        environment.onSessionEnd = [this](session::Session& s) {
            if (inspect)
                inspect(s);
        };
        return cli::Run(args, environment);
    }
    // The same on the simulator.
    int runSim(std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", "sim"});
        return run(args);
    }
    // A file in the test's folder; returns its path.
    std::string file(const QString& name, const QByteArray& bytes) {
        const QString path = ProgramHome::file(name, bytes);
        EXPECT_FALSE(path.isEmpty()) << name.toStdString();
        return path.toStdString();
    }
    // A configuration file as the window saves it: windows-1250, CR LF.
    std::string configuration(const QString& name, QString text) {
        return file(name, config::cp1250::Encode(text.replace(u"\n"_s, u"\r\n"_s)).bytes);
    }
    // Whether the last run wrote `text` on standard error.
    bool said(const std::string& text) const { return err.str().find(text) != std::string::npos; }

    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    bool terminal = false;
    int raised = 0;  // the signal that asks the run to stop, as main's handler raises it
    link::PortLister listPorts;                      // default: the system's
    std::function<void(session::Session&)> prepare;  // once the program is built
    std::function<void(session::Session&)> inspect;  // before it is taken down
};

// The same, keeping the requests the simulated transmitter received during the last run.
class LoggedCliTest : public CliTest {
protected:
    LoggedCliTest() {
        inspect = [this](session::Session& s) {
            requests = testing::DescribeLog(s.simDevice().Log());
            opens = s.simTransport().OpenCount();
        };
    }
    bool sent(const QString& request) const { return requests.contains(request); }
    QStringList requests;
    std::size_t opens = 0;  // of the port
};

}  // namespace veld::cli::test
