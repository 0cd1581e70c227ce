#pragma once
// COrvaneApp: the program's start-up. It checks that sockets can be made, then opens the
// administration window (which asks for the login) and runs it until it closes.
namespace orvane {

class COrvaneApp {
public:
    using SocketCheck = bool (*)();

    // Creates and closes one IPv4 TCP socket; false when that is impossible.
    static bool CanCreateSockets();

    // Needs a running QApplication. Returns the program's exit code.
    int Run(SocketCheck socketCheck = &CanCreateSockets);
};

}  // namespace orvane
