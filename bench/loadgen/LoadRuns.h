// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The runs of the load generator. Each prints what it measured and answers the number of
// errors (a reply that differs, a byte that differs, a connection that fails or times out).
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane::load {

struct LoadOptions {
    std::uint16_t port = 20248;
    std::string folder = ".";           // the folder that the server serves (on this machine)
    std::string file = "download.bin";  // the file that clients download
    std::size_t accounts = 10000;
    std::size_t idle = 1000;    // sessions held open, idle, for the whole run
    std::size_t clients = 100;  // clients running at once
    std::size_t cycles = 500;   // cycles per client
    std::size_t size = 65536;   // bytes per upload of a cycle
    double seconds = 5;         // length of a timed run
    bool upload = false;        // transfer: upload instead of download; cycles: uploads only
    bool discard = false;       // transfer: take the bytes unchecked, as curl -o /dev/null does
    std::uint16_t ftpPort = 0;  // talk FTP to this port instead (transfer, exam-start, exam-end)
    std::size_t kept = 5000;    // kept: the older kept tests of the first student
    std::size_t rounds = 5;     // kept, auth-storm: how many times each figure is taken
};

// Idle sessions plus clients that each run cycles of: connection A: AUTH, FILE, QUIT;
// connection B: AUTH, SAVE of a file of its own, checked on disk and removed (B alone with
// `upload`).
std::size_t RunCycles(const LoadOptions& options);
// Clients on open connections that log in again and again, for a given time.
std::size_t RunAuth(const LoadOptions& options);
// Clients that each download (or upload) the whole file once, at the same time, from
// orvane-server or (with `ftpPort`) an FTP server. Every byte is checked, unless `discard`:
// then downloads are taken unchecked and uploaded copies stay unchecked. Uploads are also
// timed until they are on the disk.
std::size_t RunTransfer(const LoadOptions& options);

}  // namespace orvane::load
