// veld-cli: the command-line front end. It builds the same session as the window and drives the
// same engine and presentation model.

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <iostream>

#include "cli/cli.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
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

}  // namespace

int main(int argc, char* argv[]) {
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

    const veld::cli::Environment environment{std::cin, std::cout, std::cerr, InputIsTerminal()};
    return veld::cli::Run(args, environment);
}
