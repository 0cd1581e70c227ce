// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of orvane-server: where it listens and what it serves (--port, --listen,
// --dir), what it allows each client (--max-per-address, --serve-keys, the limits of logins and
// of uploads), --check, --version and --help; each value given as "--name value" or
// "--name=value".
#include <optional>
#include <string>

#include "server/TCPServer.h"

struct CommandLine {
    enum class Action { Serve, Check, Help, Version };
    Action action = Action::Serve;
    orvane::ServerOptions server;
    std::string folder;  // the folder to serve; empty for the current one
};

// The command line read; nothing when it is wrong, after the reason has been printed to
// standard error ("orvane-server: --port: not a port number: 0").
std::optional<CommandLine> ParseCommandLine(int argc, char** argv);

// The address in dotted form ("0.0.0.0" for every address).
std::string AddressText(std::uint32_t address);
