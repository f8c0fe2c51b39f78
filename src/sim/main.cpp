// veld-sim: the simulated transmitter on a pseudo-terminal. Prints the slave path as the first
// line of standard output, then serves until idle, SIGTERM or SIGINT.

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <signal.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/signalfd.h>
#endif

#include <charconv>
#include <filesystem>

#include "sim/device.h"
#include "sim/fault_policy.h"
#include "sim/memory_image.h"
#include "sim/pty_server.h"

namespace {

constexpr std::string_view kUsage =
    "usage: veld-sim [options]\n"
    "Simulated VELD transmitter on a pseudo-terminal; prints the terminal's path first.\n"
    "  --image FILE          load the memory image (2048 raw bytes) from FILE if it exists\n"
    "  --save-on-exit        write the memory image back to FILE when the server ends\n"
    "  --idle-timeout SEC    end after SEC seconds without input (default 600)\n"
    "  --no-pacing           send each reply in one piece, once a 14400 bit/s line could\n"
    "                        have carried the request and the reply, not byte by byte\n"
    "  --result-code N       result code of NastOfs/NastFS (6, 9, 10, 14 refuse; default 0)\n"
    "  --pv VALUE            fixed value at the input (default: middle of the stored range)\n"
    "  --pv-wave SEC         moving value instead: a sine of period SEC seconds over 80 % of\n"
    "                        the stored range (1568..1572), with noise of up to 2 % of it\n"
    "  --fault RULE          queue a fault; repeatable, applied in order to answered requests\n"
    "                        RULE = NAME[=N][+NAME[=N]...][:TIMES]\n"
    "                        NAME: no-reply, bad-checksum, wrong-address, delay=MS,\n"
    "                              byte-count-over (byte count 50, above what fits),\n"
    "                              long-preamble=N, truncated=N (bytes kept),\n"
    "                              repeat=MS (the reply again MS after it),\n"
    "                              repeat-bad-checksum=MS (the same, copy damaged), none\n"
    "                        TIMES: number of requests (default 1) or \"all\"\n"
    "                        e.g. --fault no-reply:2   --fault none --fault delay=1500\n"
    "  --verbose             hex dumps of received bytes and replies on standard error\n"
    "  --help                this text\n";

struct Options {
    std::optional<std::filesystem::path> image;
    bool saveOnExit = false;
    long long idleSeconds = 600;
    bool pacing = true;
    bool verbose = false;
    std::optional<int> resultCode;
    std::optional<float> pv;
    std::optional<long long> waveSeconds;
    std::vector<std::string> faults;
};

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc{} && end == text.data() + text.size();
}

// Returns the message of the first bad argument, if any.
std::optional<std::string> ParseOptions(int argc, char** argv, Options& o, bool& help) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string_view(argv[++i]);
        };
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--save-on-exit") {
            o.saveOnExit = true;
        } else if (arg == "--no-pacing") {
            o.pacing = false;
        } else if (arg == "--verbose") {
            o.verbose = true;
        } else if (arg == "--image" || arg == "--idle-timeout" || arg == "--result-code" ||
                   arg == "--pv" || arg == "--pv-wave" || arg == "--fault") {
            const auto v = value();
            if (!v)
                return std::string(arg) + " needs a value";
            if (arg == "--image") {
                o.image = std::filesystem::path(std::string(*v));
            } else if (arg == "--idle-timeout") {
                if (!ParseNumber(*v, o.idleSeconds) || o.idleSeconds <= 0) {
                    return "--idle-timeout: \"" + std::string(*v) +
                           "\" is not a positive number of seconds";
                }
            } else if (arg == "--result-code") {
                int code = 0;
                if (!ParseNumber(*v, code) || code < 0 || code > 255) {
                    return "--result-code: \"" + std::string(*v) + "\" is not a number 0..255";
                }
                o.resultCode = code;
            } else if (arg == "--pv") {
                char* end = nullptr;
                const std::string text(*v);
                const float pv = std::strtof(text.c_str(), &end);
                if (text.empty() || end != text.c_str() + text.size()) {
                    return "--pv: \"" + text + "\" is not a number";
                }
                o.pv = pv;
            } else if (arg == "--pv-wave") {
                long long seconds = 0;
                if (!ParseNumber(*v, seconds) || seconds <= 0 || seconds > 86400) {
                    return "--pv-wave: \"" + std::string(*v) +
                           "\" is not a period of 1..86400 seconds";
                }
                o.waveSeconds = seconds;
            } else {
                o.faults.emplace_back(*v);
            }
        } else {
            return "unknown option \"" + std::string(arg) + "\"";
        }
    }
    if (o.pv && o.waveSeconds)
        return std::string("--pv and --pv-wave exclude each other");
    if (o.saveOnExit && !o.image)
        return std::string("--save-on-exit needs --image FILE");
    return std::nullopt;
}

// An fd that becomes readable on SIGTERM or SIGINT, which are blocked for the normal delivery.
int SignalFd() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0)
        return -1;
#ifdef __linux__
    return signalfd(-1, &set, SFD_CLOEXEC);
#else
    return -1;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    bool help = false;
    if (const auto error = ParseOptions(argc, argv, options, help)) {
        std::cerr << "veld-sim: " << *error << '\n' << kUsage;
        return 2;
    }
    if (help) {
        std::cout << kUsage;
        return 0;
    }

    veld::sim::MemoryImage memory;
    if (options.image && std::filesystem::exists(*options.image)) {
        if (const auto result = memory.Load(*options.image); !result) {
            std::cerr << "veld-sim: " << result.message << '\n';
            return 1;
        }
    }
    veld::sim::FaultPolicy faults;
    for (const std::string& rule : options.faults) {
        if (const auto error = veld::sim::AddFaultRule(faults, rule)) {
            std::cerr << "veld-sim: " << *error << '\n';
            return 2;
        }
    }
    veld::sim::Device device(memory);
    if (options.resultCode)
        device.SetCalibrationResult(static_cast<veld::sim::Byte>(*options.resultCode));
    device.SetProcessValue(options.pv);
    if (options.waveSeconds) {
        veld::sim::WaveShape wave;
        wave.period = std::chrono::seconds(*options.waveSeconds);
        device.SetProcessWave(veld::sim::ProcessWave(wave));
    }

    const int stopFd = SignalFd();
    if (stopFd < 0) {
        std::cerr << "veld-sim: cannot watch SIGTERM and SIGINT\n";
        return 1;
    }
    veld::sim::PtyOptions ptyOptions;
    ptyOptions.pacing = options.pacing;
    ptyOptions.idleTimeout = std::chrono::seconds(options.idleSeconds);
    if (options.verbose)
        ptyOptions.trace = &std::cerr;
    veld::sim::PtyServer server(device, faults, ptyOptions);
    if (const std::string error = server.Open(); !error.empty()) {
        std::cerr << "veld-sim: " << error << '\n';
        return 1;
    }
    std::cout << server.SlavePath() << std::endl;

    const auto reason = server.Run(stopFd);
    ::close(stopFd);
    int status = 0;
    if (reason == veld::sim::PtyServer::EndReason::Error) {
        std::cerr << "veld-sim: " << server.ErrorText() << '\n';
        status = 1;
    }
    if (options.verbose) {
        const auto& s = server.Assembler().Stats();
        std::cerr << "veld-sim: " << device.RequestsReceived() << " requests answered, "
                  << s.Rejected() << " damaged requests dropped\n";
    }
    if (options.saveOnExit && options.image) {
        if (const auto result = memory.Save(*options.image); !result) {
            std::cerr << "veld-sim: " << result.message << '\n';
            status = 1;
        }
    }
    return status;
}
