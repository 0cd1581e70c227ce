// SPDX-License-Identifier: GPL-3.0-or-later
// Orvane: the administration window of the Petri-net examination server.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/OrvaneApp.h"
#include "common/DataFolder.h"
#include "common/WriteSignals.h"

namespace {

constexpr char kHelp[] =
    "Usage: orvane [--dir FOLDER | --version | --help]\n"
    "Opens the login window \"Server: Prihlásenie\" of the Orvane examination system and\n"
    "works on the files userdb, testdb and quesdb of the current folder, or of FOLDER with\n"
    "--dir (made, readable by you only, when it is missing). Remote access serves every file\n"
    "of that folder, so it is never switched on in a home folder or in /.\n"
    "Qt's own options (-platform NAME, -style NAME, ...) are accepted too.\n"
    "Exit status: 0 when the window is closed, 1 when sockets cannot be made or the folder\n"
    "or a file cannot be used, 2 for a wrong command line. See orvane(1).\n";

bool IsOwnOption(const char* argument) {
    return std::strcmp(argument, "--version") == 0 || std::strcmp(argument, "--help") == 0;
}

// "--dir FOLDER" or "--dir=FOLDER" enters FOLDER: 0 when it did, -1 for no such option,
// else the exit status.
int EnterFolderOption(int argc, char* argv[]) {
    const char* folder = nullptr;
    if (argc == 3 && std::strcmp(argv[1], "--dir") == 0) {
        folder = argv[2];
    } else if (argc == 2 && std::strncmp(argv[1], "--dir=", 6) == 0) {
        folder = argv[1] + 6;
    } else {
        return -1;
    }
    if (const int error = orvane::EnterDataFolder(folder); error != 0) {
        std::fprintf(stderr, "orvane: cannot use the folder %s: %s\n", folder,
                     std::strerror(error));
        return 1;
    }
    return 0;
}

// The command line left over once Qt has taken its own options: -1 to go on and open the
// window, else the exit status.
int HandleCommandLine(int argc, char* argv[]) {
    if (argc == 1) {
        return -1;
    }
    if (const int entered = EnterFolderOption(argc, argv); entered >= 0) {
        return entered == 0 ? -1 : entered;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("orvane %s\n", ORVANE_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    const char* wrong = IsOwnOption(argv[1]) ? argv[2] : argv[1];
    std::fprintf(stderr, "orvane: unknown or extra argument: %s\nTry 'orvane --help'.\n", wrong);
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Asked first, so that --version and --help work without a display.
    if (argc == 2 && IsOwnOption(argv[1])) {
        return HandleCommandLine(argc, argv);
    }
    orvane::IgnoreWriteSignals();
    QApplication application(argc, argv);
    if (const int status = HandleCommandLine(argc, argv); status >= 0) {
        return status;
    }
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));
    orvane::COrvaneApp::InstallQtTranslations();
    return orvane::COrvaneApp().Run();
}
