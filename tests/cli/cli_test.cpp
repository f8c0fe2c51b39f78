#include "cli_fixture.h"

#include "cli/command.h"
#include "cli/terminal_prompts.h"
#include "link/dev_float.h"
#include "sim/fault_policy.h"
#include "support/request_log.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace veld::cli::test {
namespace {

using namespace Qt::Literals::StringLiterals;

using GlobalOptions = CliTest;

// The exit status of every command: 2 for a usage error, 1 for what the transmitter or an entry
// check refused; either way nothing is written and nothing printed on standard output.
TEST_F(GlobalOptions, exitCodesAndUsageErrors) {
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::string said;  // on standard error
    };
    const std::string usage = "usage: veld-cli";
    const std::string points = file(u"points.txt"_s, "0 1\n1 3\n2 5\n3 7\n4 9\n");
    const std::string huge = file(u"huge.txt"_s, "0 1\n1e309 3\n");
    // clang-format off
    const std::vector<Case> cases{
        // An empty port is no port (not COM1).
        {{"--port", "", "eeprom", "read", "0", "1"}, kUsage, {}}, {{"--port=", "eeprom", "read", "0", "1"}, kUsage, {}},
        {{"--port", " ", "eeprom", "read", "0", "1"}, kUsage, {}}, {{"--port"}, kUsage, {}},
        {{"--verbose", "eeprom", "read", "0", "1"}, kUsage, {}}, {{"frobnicate"}, kUsage, "unknown command"}, {{}, kUsage, usage},
        {{"--trace-file"}, kUsage, {}}, {{"--trace-file=", "eeprom", "read", "0", "1"}, kUsage, {}},
        {{"eeprom"}, kUsage, {}}, {{"eeprom", "read", "10"}, kUsage, {}}, {{"eeprom", "read", "10", "0"}, kUsage, {}},
        {{"eeprom", "read", "-1", "4"}, kUsage, {}}, {{"eeprom", "read", "65535", "2"}, kUsage, {}},
        {{"eeprom", "read", "abc", "4"}, kUsage, {}}, {{"eeprom", "write", "10"}, kUsage, {}},
        {{"eeprom", "write", "10", "0G"}, kUsage, {}}, {{"eeprom", "write", "10", "123"}, kUsage, {}},
        {{"eeprom", "erase", "10"}, kUsage, {}},
        {{"lin"}, kUsage, "usage: veld-cli lin"}, {{"lin", "--json"}, kUsage, "usage: veld-cli lin"},
        {{"lin", "bogus"}, kUsage, "usage: veld-cli lin"}, {{"lin", "curve", "1"}, kUsage, "usage: veld-cli lin"},
        {{"lin", "curve", "x", "1"}, kUsage, "usage: veld-cli lin"}, {{"lin", "curve", "1", "1,5"}, kUsage, "usage: veld-cli lin"},
        {{"lin", "curve", "1", "100", "--verbose"}, kUsage, "usage: veld-cli lin"},
        {{"lin", "spline", "1", "0", "abc"}, kUsage, "usage: veld-cli lin"}, {{"lin", "precise", "1", "0"}, kUsage, "usage: veld-cli lin"},
        {{"lin", "fit", "f.txt", "three", "0", "1"}, kUsage, "usage: veld-cli lin"}, {{"lin", "segments"}, kUsage, "usage: veld-cli lin"},
        {{"write"}, kUsage, usage}, {{"write", "a.txt", "b.txt"}, kUsage, usage},
        {{"write", "a.txt", "--method", "spline"}, kUsage, usage}, {{"write", "a.txt", "--degree", "4"}, kUsage, usage},
        {{"write", "a.txt", "--method", "polynomial", "--degree", "9"}, kUsage, usage}, {{"write", "a.txt", "--points"}, kUsage, usage},
        {{"write", "a.txt", "--cvd", "100,3.9e-3"}, kUsage, usage}, {{"write", "a.txt", "--cvd", "100,3.9e-3,-5.8e-7,x"}, kUsage, usage},
        {{"read", "extra"}, kUsage, {}}, {{"calibrate", "middle"}, kUsage, {}}, {{"note", "two", "words"}, kUsage, {}},
        {{"relay", "5"}, kUsage, "1..4"}, {{"relay", "1", "--on", "3"}, kUsage, "--enable or --disable"},
        {{"relay", "1", "--enable", "--mode", "okno"}, kUsage, "HYSTEREZE or OKNO"},
        {{"output", "1"}, kUsage, {}}, {{"output", "--read"}, kUsage, {}},
        {{"measure", "--count", "0"}, kUsage, {}}, {{"measure", "--interval", "1,5"}, kUsage, {}},
        {{"restore"}, kUsage, {}}, {{"diff"}, kUsage, {}}, {{"diff", "a.txt", "--bogus"}, kUsage, {}},
        // Refused by the window's own checks, or answered No without a terminal.
        {{"relay", "1", "--enable", "--on", "1", "--off", "2", "--delay-off", "256"}, kFailure, "Povolená mez pro zpoždění rozepnutí je 0 až 255 s"},
        {{"relay", "2", "--enable", "--on", "50", "--off", "45"}, kFailure, "Opravdu se má zapsat konfigurace Relé 2?"},
        {{"output", "0", "100"}, kFailure, "Není přečtena konfigurace vstupu."},
        {{"calibrate", "lower"}, kFailure, "Opravdu se má nastavit dolní mez převodníku? [a/n] ne"},
        {{"correction", "0,25x"}, kFailure, "Špatně zadaná hodnota korekce měřeného odporu."},
        {{"note", std::string(61, 'a')}, kFailure, "nejvýše 60 znaků"},
        // The computations' own refusals are their tests'; values beyond single precision are named.
        {{"lin", "curve", "13", "1"}, kFailure, "Dany prubeh neni v programu jeste zadan\n"},
        {{"lin", "curve", "1", "1e4000"}, kFailure, "Hodnota \"1e4000\" je mimo rozsah"},
        {{"lin", "--json", "curve", "1", "-1e4000"}, kFailure, "Hodnota \"-1e4000\" je mimo rozsah"},
        {{"lin", "inverse", "9", "100", "1e-5000"}, kFailure, "Hodnota \"1e-5000\" je mimo rozsah"},
        {{"lin", "spline", "9", "0", "1e39"}, kFailure, "Hodnota \"1e39\" je mimo rozsah"},
        {{"lin", "fit", points, "3", "1", "1e309"}, kFailure, "Hodnota \"1e309\" je mimo rozsah"},
        {{"lin", "fit", huge, "3", "1", "3"}, kFailure, "Vstupní hodnota \"1e309\" na řádku 2"},
        {{"lin", "segments", huge}, kFailure, "Vstupní hodnota \"1e309\" na řádku 2"},
    };
    // clang-format on
    QStringList written;
    inspect = [&](session::Session& s) {
        for (const QString& r : testing::DescribeLog(s.simDevice().Log()))
            if (!r.startsWith(u"Read"_s))
                written.append(r);
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"--port", "sim"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        if (!c.args.empty() && c.args[0].starts_with("--"))
            args = c.args;
        SCOPED_TRACE(c.args.empty() ? "" : c.args[0] + " " + c.args.back());
        EXPECT_EQ(run(args), c.exit);
        EXPECT_FALSE(err.str().empty());
        EXPECT_TRUE(said(c.said)) << err.str();
        if (c.said.ends_with('\n')) {
            EXPECT_EQ(err.str(), c.said);  // all of it
        }
        EXPECT_TRUE(out.str().empty());
        EXPECT_TRUE(written.isEmpty()) << written.join(u'|').toStdString();
    }

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"help"}, {"eeprom", "--help"}, {"lin", "-h"}}) {
        EXPECT_EQ(run(args), kSuccess) << args[0];
        EXPECT_NE(out.str().find("usage: veld-cli"), std::string::npos) << args[0];
        EXPECT_TRUE(err.str().empty());
    }
}

// The lines of each transaction are the traffic log's own; here what the options do with them.
TEST_F(GlobalOptions, traceGoesToStandardErrorAndItsFileIsAppendedOrTheRunStops) {
    const std::string path = file(u"provoz.jsonl"_s, "{\"earlier\":true}\n");
    ASSERT_EQ(runSim({"--trace", "--trace-file", path, "eeprom", "read", "363", "4"}), kSuccess)
        << err.str();
    EXPECT_NE(err.str().find("ReadEEPROM 363 (4 B) → tlumení"), std::string::npos) << err.str();
    ASSERT_EQ(runSim({"--trace-file=" + path, "eeprom", "read", "257", "2"}), kSuccess);
    EXPECT_TRUE(err.str().empty()) << "no lines without --trace";
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> json = f.readAll().split('\n');
    ASSERT_EQ(json.size(), 4);  // the earlier line, the two reads, the empty piece
    EXPECT_EQ(json[0], "{\"earlier\":true}");
    EXPECT_EQ(QJsonDocument::fromJson(json[2]).object()[u"address"_s].toInt(), 257);

    // A trace that cannot be kept stops the run before anything is sent.
    bool built = false;
    prepare = [&](session::Session&) { built = true; };
    EXPECT_EQ(runSim({"--trace-file", dir.filePath(u"chybí/x.jsonl"_s).toStdString(), "eeprom",
                      "read", "0", "1"}),
              kFailure);
    EXPECT_TRUE(said("nelze otevřít")) << err.str();
    EXPECT_FALSE(built);
}

TEST_F(GlobalOptions, portsListsWhatTheSystemKnows_autoTakesTheFirstThatAnswers) {
    listPorts = [] {
        return QList<link::PortInfo>{{u"/dev/veld-none"_s, u"USB serial converter"_s, u"Maker"_s,
                                      u"A50285BI"_s, 0x1234, 0x5678},
                                     {u"simulator"_s, {}, {}, {}, {}, {}}};
    };
    EXPECT_EQ(run({"ports"}), kSuccess);
    EXPECT_EQ(out.str(),
              "/dev/veld-none\tUSB serial "
              "converter\tMaker\t1234:5678\tA50285BI\nsimulator\t-\t-\t-\t-\n");

    // Another device, a silent one, then the transmitter: each tried with the signature read.
    QStringList requests;
    inspect = [&](session::Session& s) { requests = testing::DescribeLog(s.simDevice().Log()); };
    struct Case {
        std::function<void(session::Session&)> prepare;
        int exit;
        std::string said;
        int requests;  // each a "ReadEEPROM 257 2"
    };
    const std::vector<Case> cases{
        {[](session::Session& s) {
             ASSERT_TRUE(s.simMemory().Write(257, std::vector<link::Byte>{0x12, 0x34}));
         },
         kFailure,
         "/dev/veld-none: nelze otevřít\nsimulator: odpovídá jiný přístroj (12 34)\n"
         "Převodník nebyl nalezen na žádném portu.\n",
         1},
        {[](session::Session& s) { s.simFaults().Queue(sim::Fault::NoReply(), 3); }, kFailure,
         "simulator: neodpovídá\nPřevodník nebyl nalezen na žádném portu.\n", 3},
        // Found, then the command runs on it.
        {{}, kSuccess, "simulator: převodník odpovídá\nPřevodník nalezen na portu simulator.\n", 2},
    };
    for (const Case& c : cases) {
        prepare = c.prepare;
        EXPECT_EQ(run({"--port", "auto", "eeprom", "read", "257", "2"}), c.exit) << c.said;
        EXPECT_TRUE(said(c.said)) << err.str();
        EXPECT_FALSE(said("It is not possible") || said("No answer")) << err.str();
        EXPECT_EQ(requests, QStringList(c.requests, u"ReadEEPROM 257 2"_s));
    }
    EXPECT_EQ(out.str(), "0D E5\n");
    EXPECT_FALSE(settings.contains(link::PortChoice::kOtherPortKey));  // for this run only

    listPorts = [] { return QList<link::PortInfo>{}; };
    EXPECT_EQ(run({"--port", "auto", "note"}), kFailure);
    EXPECT_TRUE(said("Převodník nebyl nalezen: systém neuvádí žádný sériový port.")) << err.str();
    EXPECT_EQ(run({"--port", "auto", "lin", "curve", "16", "2.5"}), kSuccess);  // needs no port
}

// Each question and the answer taken are printed on standard error.
TEST(TerminalPromptsTest, answersByOptionTerminalOrNone) {
    struct Case {
        TerminalPrompts::Answers answers;
        std::string typed;
        bool yes;
        std::string said;
    };
    const std::vector<Case> cases{
        {TerminalPrompts::Answers::Yes, "", true, "Opravdu? [a/n] ano (--yes)\n"},
        {TerminalPrompts::Answers::No, "a\n", false,
         "Opravdu? [a/n] ne (no terminal to ask on; --yes answers Yes)\n"},
        {TerminalPrompts::Answers::Terminal, "ANO\n", true, "Opravdu? [a/n] ano\n"},
        {TerminalPrompts::Answers::Terminal, "y\n", true, "Opravdu? [a/n] ano\n"},
        {TerminalPrompts::Answers::Terminal, "perhaps\nne\n", false,
         "Opravdu? [a/n] a (ano) / n (ne)? ne\n"},
        {TerminalPrompts::Answers::Terminal, "", false, "Opravdu? [a/n] \nne (end of input)\n"},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.typed);
        std::ostringstream err;
        TerminalPrompts prompts(in, err, c.answers);
        EXPECT_EQ(prompts.question(u"Opravdu?"_s), c.yes) << c.typed;
        EXPECT_EQ(err.str(), c.said) << c.typed;
    }
}

}  // namespace
}  // namespace veld::cli::test
