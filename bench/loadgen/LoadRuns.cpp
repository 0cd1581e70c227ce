// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoadRuns.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "FtpClient.h"
#include "LatencyLog.h"
#include "LoadClient.h"
#include "LoadData.h"

namespace orvane::load {
namespace {

using Clock = CLatencyLog::Clock;

// What one client thread counted.
struct ClientTally {
    CLatencyLog log;
    std::size_t errors = 0;
    std::size_t refusals = 0;
    std::uint64_t bytesDown = 0;
    std::uint64_t bytesUp = 0;

    void Merge(const ClientTally& other) {
        log.Merge(other.log);
        errors += other.errors;
        refusals += other.refusals;
        bytesDown += other.bytesDown;
        bytesUp += other.bytesUp;
    }
};

// Connects until greeted. A connection closed before its greeting (the server runs all the
// sessions it may) is a refusal: counted apart, and tried again after a growing pause.
bool ConnectGreeted(CLoadClient& client, ClientTally& tally, std::minstd_rand& random) {
    const CTimed timed(tally.log, "connect");
    const auto deadline = Clock::now() + std::chrono::seconds(120);
    for (int attempt = 0; Clock::now() < deadline; ++attempt) {
        switch (client.Connect()) {
            case CLoadClient::Greeting::Ready:
                return true;
            case CLoadClient::Greeting::Refused:
                ++tally.refusals;
                break;
            case CLoadClient::Greeting::Failed:
                return false;
        }
        const int pause = 1 + static_cast<int>(random() % (1u << std::min(attempt, 5)));
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
    }
    return false;
}

// True when the file in the folder holds exactly `data`; it is removed either way.
bool CheckAndRemove(const std::string& path, std::span<const std::uint8_t> data) {
    bool same = false;
    {
        const CMappedFile stored(path);
        same = stored.IsOpen() && stored.Bytes().size() == data.size() &&
               std::equal(data.begin(), data.end(), stored.Bytes().begin());
    }
    ::unlink(path.c_str());
    return same;
}

// Runs one request and logs how long it took.
template <class Request>
bool Timed(ClientTally& tally, const char* kind, Request request) {
    const CTimed timed(tally.log, kind);
    return request();
}

// Connection A: AUTH, FILE, QUIT. Connection B: AUTH, SAVE of a name of its own (an upload
// ends its session, so it needs a connection of its own).
bool RunOneCycle(const LoadOptions& options, std::size_t client, std::size_t cycle,
                 std::span<const std::uint8_t> download, ClientTally& tally,
                 std::minstd_rand& random) {
    const std::size_t account = 1 + random() % (options.accounts - 1);
    const std::string login = StudentLogin(account);
    const std::string password = StudentPassword(account);
    CLoadClient a(options.port);
    const bool downloaded =
        options.upload ||
        (ConnectGreeted(a, tally, random) &&
         Timed(tally, "AUTH", [&] { return a.Auth(login, password); }) &&
         Timed(tally, "FILE", [&] { return a.Download(options.file, download); }) &&
         Timed(tally, "QUIT", [&] { return a.Quit(); }));
    if (!downloaded) {
        return false;
    }
    tally.bytesDown += options.upload ? 0 : download.size();

    const std::string name = "load-" + std::to_string(client) + "-" + std::to_string(cycle);
    const std::vector<std::uint8_t> upload = FileContent((client << 32) + cycle + 1, options.size);
    CLoadClient b(options.port);
    const bool uploaded = ConnectGreeted(b, tally, random) &&
                          Timed(tally, "AUTH", [&] { return b.Auth(login, password); }) &&
                          Timed(tally, "SAVE", [&] { return b.Upload(name, upload); });
    if (!uploaded || !CheckAndRemove(options.folder + "/" + name, upload)) {
        return false;
    }
    tally.bytesUp += upload.size();
    return true;
}

// Opens `count` logged-in sessions that stay idle; fewer when the server refuses some.
std::vector<CLoadClient> OpenIdleSessions(const LoadOptions& options, ClientTally& tally) {
    std::vector<CLoadClient> idle;
    std::minstd_rand random(1);
    for (std::size_t i = 0; i < options.idle; ++i) {
        // Logged in, as the server closes sessions that stay without a login.
        const std::size_t account = 1 + i % (options.accounts - 1);
        CLoadClient client(options.port);
        if (!ConnectGreeted(client, tally, random) ||
            !client.Auth(StudentLogin(account), StudentPassword(account))) {
            ++tally.errors;
            break;
        }
        idle.push_back(std::move(client));
    }
    return idle;
}

// Runs `body(index, tally, random)` on `count` threads at once, each with a random source of
// its own seeded with index + 1, and merges what they counted.
template <class Body>
ClientTally RunClients(std::size_t count, Body body, Clock::duration& elapsed) {
    std::vector<ClientTally> tallies(count);
    std::vector<std::thread> threads;
    const auto started = Clock::now();
    for (std::size_t i = 0; i < count; ++i) {
        threads.emplace_back([&, i] {
            std::minstd_rand random(static_cast<unsigned>(i + 1));
            body(i, tallies[i], random);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    elapsed = Clock::now() - started;
    ClientTally total;
    for (const ClientTally& tally : tallies) {
        total.Merge(tally);
    }
    return total;
}

double Megabytes(std::uint64_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

double Seconds(Clock::duration elapsed) {
    return std::chrono::duration<double>(elapsed).count();
}

bool DownloadFile(CLoadClient& connection, const LoadOptions& options,
                  std::span<const std::uint8_t> content) {
    return options.discard ? connection.DownloadDiscarding(options.file, content.size())
                           : connection.Download(options.file, content);
}

// An upload whose copy stays, unchecked, with `discard` (as an FTP server's copies stay).
bool UploadCopy(CLoadClient& connection, const LoadOptions& options, const std::string& copy,
                std::span<const std::uint8_t> content) {
    const std::string path = options.folder + "/" + copy;
    if (!connection.Upload(copy, content)) {
        return false;
    }
    return options.discard || CheckAndRemove(path, content);
}

// One client's transfer through an FTP server, logged in as the teacher.
bool FtpTransfer(const LoadOptions& options, const std::string& copy,
                 std::span<const std::uint8_t> content) {
    CFtpClient ftp(options.ftpPort);
    std::size_t size = 0;
    const bool done =
        ftp.Login(kTeacherLogin, kTeacherPassword) &&
        (options.upload
             ? ftp.Store(copy, content)
             : ftp.Retrieve(options.file,
                            options.discard ? std::span<const std::uint8_t>() : content, size) &&
                   size == content.size()) &&
        ftp.Quit();
    // As for orvane-server, a checked upload is compared on the disk and removed.
    return done && (!options.upload || options.discard ||
                    CheckAndRemove(options.folder + "/" + copy, content));
}

}  // namespace

std::size_t RunCycles(const LoadOptions& options) {
    const CMappedFile download(options.folder + "/" + options.file);
    if (!download.IsOpen() || options.accounts < 2) {
        std::fprintf(stderr, "loadgen: prepare the folder first (loadgen prepare %s)\n",
                     options.folder.c_str());
        return 1;
    }
    ClientTally idleTally;
    std::vector<CLoadClient> idle = OpenIdleSessions(options, idleTally);
    std::printf("idle sessions open: %zu\n", idle.size());
    Clock::duration elapsed{};
    ClientTally total = RunClients(
        options.clients,
        [&](std::size_t client, ClientTally& tally, std::minstd_rand& random) {
            for (std::size_t cycle = 0; cycle < options.cycles; ++cycle) {
                if (!RunOneCycle(options, client, cycle, download.Bytes(), tally, random)) {
                    ++tally.errors;
                }
            }
        },
        elapsed);
    total.errors += idleTally.errors;
    const std::size_t cycles = total.log.Count("SAVE");
    std::printf("cycles: %zu of %zu in %.2f s, %.0f cycles/s\n", cycles,
                options.clients * options.cycles, Seconds(elapsed),
                static_cast<double>(cycles) / Seconds(elapsed));
    std::printf("downloaded %.1f MiB (%.1f MiB/s), uploaded %.1f MiB (%.1f MiB/s)\n",
                Megabytes(total.bytesDown), Megabytes(total.bytesDown) / Seconds(elapsed),
                Megabytes(total.bytesUp), Megabytes(total.bytesUp) / Seconds(elapsed));
    total.log.Print(elapsed);
    std::printf("errors: %zu\nrefusals (closed before the greeting, tried again): %zu\n",
                total.errors, total.refusals + idleTally.refusals);
    return total.errors;
}

std::size_t RunAuth(const LoadOptions& options) {
    const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(options.seconds));
    Clock::duration elapsed{};
    ClientTally total = RunClients(
        options.clients,
        [&](std::size_t, ClientTally& tally, std::minstd_rand& random) {
            CLoadClient connection(options.port);
            if (!ConnectGreeted(connection, tally, random)) {
                ++tally.errors;
                return;
            }
            while (Clock::now() < until) {
                const std::size_t account = 1 + random() % (options.accounts - 1);
                if (!Timed(tally, "AUTH", [&] {
                        return connection.Auth(StudentLogin(account), StudentPassword(account));
                    })) {
                    ++tally.errors;
                    return;
                }
            }
        },
        elapsed);
    std::printf("AUTH: %zu in %.2f s by %zu clients: %.0f AUTH/s\n", total.log.Count("AUTH"),
                Seconds(elapsed), options.clients,
                static_cast<double>(total.log.Count("AUTH")) / Seconds(elapsed));
    total.log.Print(elapsed);
    std::printf("errors: %zu\n", total.errors);
    return total.errors;
}

std::size_t RunTransfer(const LoadOptions& options) {
    const CMappedFile file(options.folder + "/" + options.file);
    if (!file.IsOpen()) {
        std::fprintf(stderr, "loadgen: cannot read %s/%s\n", options.folder.c_str(),
                     options.file.c_str());
        return 1;
    }
    Clock::duration elapsed{};
    const auto started = Clock::now();
    ClientTally total = RunClients(
        options.clients,
        [&](std::size_t client, ClientTally& tally, std::minstd_rand& random) {
            CLoadClient connection(options.port);
            const std::string copy = "copy-" + std::to_string(client);
            const bool done =
                options.ftpPort != 0
                    ? FtpTransfer(options, copy, file.Bytes())
                    : ConnectGreeted(connection, tally, random) &&
                          connection.Auth(kTeacherLogin, kTeacherPassword) &&
                          (options.upload ? UploadCopy(connection, options, copy, file.Bytes())
                                          : DownloadFile(connection, options, file.Bytes()));
            tally.errors += done ? 0 : 1;
            tally.bytesDown += done ? file.Bytes().size() : 0;
        },
        elapsed);
    std::printf("%s: %zu clients, %.1f MiB in %.3f s: %.1f MB/s\n",
                options.upload ? "upload" : "download", options.clients, Megabytes(total.bytesDown),
                Seconds(elapsed), static_cast<double>(total.bytesDown) / 1e6 / Seconds(elapsed));
    if (options.upload) {
        // Until every copy is on the disk, whatever the server did to put it there.
        const int folder = ::open(options.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::syncfs(folder);
        ::close(folder);
        const Clock::duration flushed = Clock::now() - started;
        std::printf("on the disk (syncfs) after %.3f s: %.1f MB/s\n", Seconds(flushed),
                    static_cast<double>(total.bytesDown) / 1e6 / Seconds(flushed));
    }
    std::printf("errors: %zu\n", total.errors);
    return total.errors;
}

}  // namespace orvane::load
