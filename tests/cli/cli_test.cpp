#include "cli_fixture.h"

#include "cli/command.h"
#include "cli/model_command.h"
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

TEST_F(GlobalOptions, usageErrorsExitTwoWithoutTouchingAPort) {
    // An empty port is no port (not COM1).
    // clang-format off
    const std::vector<std::vector<std::string>> cases{
        {"--port", "", "eeprom", "read", "0", "1"}, {"--port=", "eeprom", "read", "0", "1"},
        {"--port", " ", "eeprom", "read", "0", "1"}, {"--port"},
        {"--verbose", "eeprom", "read", "0", "1"}, {"frobnicate"}, {},
        {"--trace-file"}, {"--trace-file=", "eeprom", "read", "0", "1"}};
    // clang-format on
    bool built = false;
    prepare = [&](session::Session&) { built = true; };
    for (const auto& args : cases) {
        EXPECT_EQ(run(args), kUsage) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(err.str().empty());
        EXPECT_TRUE(out.str().empty());
    }
    EXPECT_FALSE(built);
}

TEST_F(GlobalOptions, helpForTheToolAndForEachCommandGoesToStandardOutput) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"help"}, {"eeprom", "--help"}, {"lin", "-h"}}) {
        EXPECT_EQ(run(args), kSuccess) << args[0];
        EXPECT_NE(out.str().find("usage: veld-cli"), std::string::npos) << args[0];
        EXPECT_TRUE(err.str().empty());
    }
    run({"eeprom", "--help"});
    EXPECT_NE(out.str().find("response code"), std::string::npos);
}

TEST_F(GlobalOptions, jsonIsGlobalAndStillAcceptedAfterLin) {
    ASSERT_EQ(run({"lin", "--json", "curve", "16", "2.5"}), kSuccess) << err.str();
    const std::string local = out.str();
    ASSERT_EQ(run({"--json", "lin", "curve", "16", "2.5"}), kSuccess);
    EXPECT_EQ(out.str(), local);
    EXPECT_EQ(local, "{\"values\":[2.5]}\n");
}

TEST_F(GlobalOptions, traceNamesEachTransactionOnStandardErrorAndAppendsItsJson) {
    const std::string path = file(u"provoz.jsonl"_s, "{\"earlier\":true}\n");
    ASSERT_EQ(runSim({"--trace", "--trace-file", path, "note", "Čerpadlo 3"}), kSuccess)
        << err.str();
    std::vector<std::string> lines;
    for (std::istringstream e(err.str()); !e.eof();) {
        lines.emplace_back();
        std::getline(e, lines.back());
    }
    ASSERT_EQ(lines.size(), 4u) << err.str();  // and the empty piece after the last line feed
    EXPECT_NE(lines[0].find("WriteEEPROM 512 (20 B) ← poznámka (znaky 1–20) „Čerpadlo 3“  [kód 0"),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[2].find("WriteEEPROM 552 (20 B) ← poznámka (znaky 41–60) „“"),
              std::string::npos);

    prepare = [](session::Session& s) {
        const auto half = link::EncodeDevFloat(0.5f);
        ASSERT_TRUE(s.simMemory().Write(363, {half.begin(), half.end()}));
    };
    ASSERT_EQ(runSim({"--trace-file=" + path, "eeprom", "read", "363", "4"}), kSuccess);
    EXPECT_TRUE(err.str().empty()) << "no lines without --trace";
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> json = f.readAll().split('\n');
    ASSERT_EQ(json.size(), 6);  // the earlier line, three writes, the read, the empty piece
    EXPECT_EQ(json[0], "{\"earlier\":true}");
    const QJsonObject read = QJsonDocument::fromJson(json[4]).object();
    for (const char* key : {"t", "cmd", "address", "count", "request", "reply", "code", "status",
                            "attempts", "ms", "error"})
        EXPECT_TRUE(read.contains(QLatin1StringView(key))) << key;
    EXPECT_EQ(read[u"meaning"_s].toString(), u"tlumení 0.5 s"_s);
    EXPECT_EQ(read[u"cmd"_s].toString(), u"ReadEEPROM"_s);
    EXPECT_TRUE(read[u"error"_s].isNull());
    EXPECT_TRUE(read[u"reply"_s].toString().contains(u"80 00 00 00"_s));

    // A trace that cannot be kept stops the run before anything is sent.
    bool built = false;
    prepare = [&](session::Session&) { built = true; };
    EXPECT_EQ(runSim({"--trace-file", dir.filePath(u"chybí/x.jsonl"_s).toStdString(), "eeprom",
                      "read", "0", "1"}),
              kFailure);
    EXPECT_TRUE(said("nelze otevřít")) << err.str();
    EXPECT_FALSE(built);
}

TEST_F(GlobalOptions, theModelIsDrivenAsAUserWouldAndRefusalsFail) {
    Environment environment{in, out, err, false};
    environment.settings = &settings;
    environment.clock = &clock;
    Options options;
    options.port = "sim";
    Context context(environment, options);
    ModelDriver driver(context);
    EXPECT_TRUE(driver.choose(u"Vstup"_s, u"odporový teploměr Pt100"_s));
    EXPECT_FALSE(driver.choose(u"Vstup"_s, u"Pt100"_s));  // no such item
    EXPECT_FALSE(driver.enter(u"Pocatek"_s, u"-300"_s));  // its entry check refuses it
    EXPECT_TRUE(driver.enter(u"Pocatek"_s, u"0"_s));
    EXPECT_FALSE(driver.tick(u"Pocatek"_s, true));        // no check box
    for (const QString& name : {u"Nic"_s, u"Button8"_s})  // no such control; hidden
        EXPECT_EQ(driver.click(name), config::Outcome::Stopped);
    EXPECT_EQ(driver.click(u"SetCom"_s), config::Outcome::Completed);  // reports nothing
    EXPECT_TRUE(said("has no item 'Pt100'")) << err.str();
}

TEST_F(GlobalOptions, outputThatCannotBeWrittenFails) {
    std::ostream lost(nullptr);  // every write fails, as on a full disk
    Environment environment{in, lost, err, false};
    EXPECT_EQ(cli::Run({"lin", "curve", "16", "2.5"}, environment), kFailure);
    EXPECT_TRUE(said("Výstup se nepodařilo zapsat"));
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
    EXPECT_EQ(run({"--json", "ports"}), kSuccess);
    EXPECT_EQ(out.str(),
              "{\"ports\":[{\"description\":\"USB serial converter\",\"manufacturer\":\"Maker\","
              "\"port\":\"/dev/veld-none\",\"productId\":22136,\"serialNumber\":\"A50285BI\","
              "\"vendorId\":4660},{\"description\":null,\"manufacturer\":null,\"port\":"
              "\"simulator\",\"productId\":null,\"serialNumber\":null,\"vendorId\":null}]}\n");

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

TEST(TerminalPromptsTest, theCommandLineAnswersYesOnlyWhenToldOrAsked) {
    std::istringstream in("a\n");
    std::ostringstream out;
    std::ostringstream err;
    for (const auto& [terminal, yes, expected] :
         {std::tuple{false, false, false}, {false, true, true}, {true, false, true}}) {
        Environment environment{in, out, err, terminal};
        Options options;
        options.yes = yes;
        Context context(environment, options);
        EXPECT_EQ(context.prompts().question(u"Opravdu se má zapsat konfigurace ?"_s), expected);
    }
}

}  // namespace
}  // namespace veld::cli::test
