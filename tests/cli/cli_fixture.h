#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "../config/request_log.h"
#include "cli/cli.h"
#include "link/clock.h"
#include "session/session.h"

namespace veld::cli::test {

// veld-cli run in process on captured streams, its own settings and a virtual clock; "--port sim"
// reaches the session's simulated transmitter, which `prepare` can fill or make misbehave.
class CliTest : public ::testing::Test {
protected:
    int run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        Environment environment{in, out, err, terminal};
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
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName().toStdString();
    }
    // Whether the last run wrote `text` on standard error.
    bool said(const std::string& text) const { return err.str().find(text) != std::string::npos; }

    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("veld.ini")), QSettings::IniFormat};
    link::VirtualClock clock;
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    bool terminal = false;
    link::PortLister listPorts;                      // default: the system's
    std::function<void(session::Session&)> prepare;  // once the program is built
    std::function<void(session::Session&)> inspect;  // before it is taken down
};

// The same, keeping the requests the simulated transmitter received during the last run.
class LoggedCliTest : public CliTest {
protected:
    LoggedCliTest() {
        inspect = [this](session::Session& s) {
            requests = config::test::DescribeLog(s.simDevice().Log());
        };
    }
    bool sent(const QString& request) const { return requests.contains(request); }
    QStringList requests;
};

}  // namespace veld::cli::test
