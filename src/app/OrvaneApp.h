// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// COrvaneApp: the program's start-up. It checks that sockets can be made, then opens the
// administration window (which asks for the login) and runs it until it closes.
namespace orvane {

class COrvaneApp {
public:
    using SocketCheck = bool (*)();

    // Makes Qt's own texts (the buttons of message boxes, the menu of text fields, the file
    // dialog) Slovak like the rest of the windows, from Qt's translations where installed.
    // Needs a QApplication.
    static void InstallQtTranslations();

    // Creates and closes one IPv4 TCP socket; false when that is impossible.
    static bool CanCreateSockets();

    // Needs a running QApplication. Returns the program's exit code.
    int Run(SocketCheck socketCheck = &CanCreateSockets);
};

}  // namespace orvane
