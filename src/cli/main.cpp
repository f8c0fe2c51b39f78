// veld-cli: the command-line front end. It builds the same session as the window and drives the
// same engine and presentation model.

#include <QCoreApplication>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "cli/cli.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

bool InputIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(STDIN_FILENO) != 0;
#endif
}

volatile std::sig_atomic_t caught = 0;

// The first SIGINT or SIGTERM lets the transaction on the line finish and stops the operation
// before the next one (the link asks); a second ends the program at once.
void OnInterrupt(int signal) {
    if (caught != 0)
        std::_Exit(128 + signal);
    caught = signal;
#ifdef _WIN32
    std::signal(signal, OnInterrupt);  // Windows restores the default before calling
#endif
}

void CatchInterrupts() {
#ifdef _WIN32
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
#else
    // Without SA_RESTART: a question waiting on the terminal ends, answered No.
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

#ifndef _WIN32
// A standard stream the caller closed is held by /dev/null opened for reading: the port or a file
// opened later cannot take its number, and every write to standard output fails, as it should.
void HoldClosedStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1)
            continue;
        const int held = open("/dev/null", O_RDONLY);
        if (held >= 0 && held != fd) {
            dup2(held, fd);
            close(held);
        }
    }
}
#endif

}  // namespace

int main(int argc, char* argv[]) {
#ifndef _WIN32
    HoldClosedStandardStreams();
#endif
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("KT"));
    QCoreApplication::setApplicationName(QStringLiteral("VELD"));
#ifdef _WIN32
    // Messages and questions are UTF-8 (Czech).
    SetConsoleOutputCP(CP_UTF8);
#endif

    std::vector<std::string> args;
    const QStringList qargs = QCoreApplication::arguments();
    for (qsizetype i = 1; i < qargs.size(); ++i)
        args.push_back(qargs[i].toStdString());

    veld::cli::Environment environment{std::cin, std::cout, std::cerr, InputIsTerminal()};
    CatchInterrupts();
    environment.interruption = [] { return static_cast<int>(caught); };
    return veld::cli::Run(args, environment);
}
