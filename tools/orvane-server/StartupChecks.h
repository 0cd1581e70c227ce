// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The checks of orvane-server as it starts, reloads and runs --check: a folder that uploads
// cannot be written to, a "userdb" that is missing, unreadable, undecodable or empty, and a
// folder "tests" of kept tests that exists but cannot be read each give a warning line that
// says what the clients will get. The server starts all the same.
#include <cstdint>
#include <string>

void CheckServedFolder(const std::string& folder);

// Why the server could never listen on this IPv4 address (one that no interface of this
// host has: "cannot listen on 192.0.2.10: Cannot assign requested address"); empty when it
// could. The port is not tried, as a running server holds it.
std::string ListenAddressError(std::uint32_t address);
