// veld-cli write: a configuration file loaded and written as the window does, on the simulated
// transmitter.

#include "cli_fixture.h"

#include <csignal>

namespace veld::cli::test {
namespace {

class Write : public LoggedCliTest {
protected:
    Write() {
        inspect = [this, logged = inspect](session::Session& s) {
            logged(s);
            stored = *s.simMemory().Read(400, 4);
        };
    }
    std::string pt100(const QString& damping = u"0.5"_s, const QString& correction = u"0.000"_s) {
        return configuration(
            u"pt100.txt"_s,
            u"Konfigurační data pro GALVO-PRIM:\n\nvstup: odporový teploměr Pt100\n"
            "dolní mez: 0\nhorní mez: 100\njednotka: °C\nlinearizace: "
            "linearizováno\ntlumení: %1s\nchybový proud: vyřazen\npřipojení čidla: "
            "čtyřvodičově\nParazitní odpor: %2\n"_s.arg(damping, correction));
    }
    std::vector<link::Byte> stored;
};

TEST_F(Write, loadsTheFileAndWritesItAfterTheQuestion) {
    const std::string path = pt100();
    EXPECT_EQ(runSim({"write", path}), kFailure);  // no terminal: the question is answered No
    EXPECT_TRUE(said("Opravdu se má zapsat konfigurace ? [a/n] ne"));
    EXPECT_EQ(requests, QStringList{u"ReadEEPROM 262 2"_s});

    EXPECT_EQ(runSim({"--yes", "--json", "write", path}), kSuccess) << err.str();
    ASSERT_EQ(requests.size(), 55);  // the whole write of a linearized Pt100
    EXPECT_EQ(requests.first(), u"ReadEEPROM 262 2"_s);
    EXPECT_EQ(requests.last(), u"Continue"_s);
    EXPECT_EQ(stored, (std::vector<link::Byte>{1, 3, 1, 4}));
    EXPECT_EQ(out.str(), "{\"file\":\"" + path +
                             "\",\"firmware\":23,\"hwCode\":1,\"inputType\":\"odporový teploměr "
                             "Pt100\",\"linearization\":\"linearizováno\"}\n");
}

TEST_F(Write, aSignalLetsTheTransactionFinishAndSaysWhereTheWriteStopped) {
    prepare = [this](session::Session& s) {
        s.simFaults().onAnswer = [this, n = 0]() mutable { raised = ++n == 20 ? SIGINT : raised; };
    };
    EXPECT_EQ(runSim({"--yes", "write", pt100()}), 130);
    EXPECT_EQ(requests.size(), 20);
    EXPECT_TRUE(
        said("SIGINT. Převodník potvrdil přenosů: 20 (naposledy WriteEEPROM na adresu "
             "608), průběh 25 %; další přenos už nebyl odeslán.\nPřevodník zůstal "
             "zastavený"))
        << err.str();
}

TEST_F(Write, aValueTheEntryChecksRefuseStopsBeforeAnythingIsSent) {
    for (const auto& [damping, correction] :
         {std::pair{u"1e9"_s, u"0"_s}, {u"-1"_s, u"0"_s}, {u"0.5"_s, u"x"_s}}) {
        EXPECT_EQ(runSim({"--yes", "write", pt100(damping, correction)}), kFailure) << err.str();
        EXPECT_TRUE(said("do převodníku se nic nezapsalo")) << err.str();
        EXPECT_TRUE(requests.isEmpty());
    }
    EXPECT_EQ(runSim({"--yes", "write", pt100(), "--cvd", "106,3.9083e-3,-5.775e-7"}), kFailure);
    EXPECT_TRUE(said("R0 = 106 Ohm neodpovídá čidlu")) << err.str();
    EXPECT_TRUE(requests.isEmpty());
    // Accepted: the whole write, its table from these coefficients.
    EXPECT_EQ(runSim({"--yes", "write", pt100(), "--cvd", "100.02,3.9092e-3,-5.79e-7"}), kSuccess)
        << err.str();
    EXPECT_EQ(requests.size(), 55);
}

TEST_F(Write, pointFileAnswersTheDialog) {
    const std::string config =
        configuration(u"napeti.txt"_s,
                      u"Konfigurační data pro GALVO-PRIM:\n\nvstup: napětí\ndolní mez: 0\n"
                      "horní mez: 100\njednotka: %\nlinearizace: ze souboru\ntlumení: "
                      "0.5s\nchybový proud: nadproud\nzeslabení děličem: 1\n"_s);
    const std::string points = file(u"points.txt"_s, "0 0\n0.25 20\n0.5 45\n0.75 70\n1 100\n");
    EXPECT_EQ(runSim({"--yes", "write", config}), kUsage);
    EXPECT_TRUE(requests.isEmpty());

    EXPECT_EQ(runSim({"--yes", "write", config, "--points", points, "--method", "polynomial",
                      "--degree", "3"}),
              kSuccess)
        << err.str();
    EXPECT_TRUE(sent(u"WriteEEPROM 127 1 03"_s));
    EXPECT_TRUE(sent(u"WriteEEPROM 606 1 01"_s));

    EXPECT_EQ(runSim({"--yes", "write", config, "--points", points}), kSuccess) << err.str();
    EXPECT_TRUE(sent(u"WriteEEPROM 606 1 02"_s));
    EXPECT_EQ(stored, (std::vector<link::Byte>{17, 1, 53, 0}));
}

}  // namespace
}  // namespace veld::cli::test
