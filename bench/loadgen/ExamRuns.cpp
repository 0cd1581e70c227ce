// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExamRuns.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <latch>
#include <mutex>
#include <thread>
#include <vector>

#include "FtpClient.h"
#include "LoadClient.h"
#include "LoadData.h"
#include "common/ExamFolders.h"
#include "common/FileNames.h"
#include "common/TextCodec.h"

namespace orvane::load {
namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration took) {
    return std::chrono::duration<double, std::milli>(took).count();
}

// The value below which `share` of the figures lie.
double Percentile(std::vector<double> figures, double share) {
    if (figures.empty()) {
        return 0;
    }
    std::sort(figures.begin(), figures.end());
    return figures[std::min(figures.size() - 1, static_cast<std::size_t>(share * figures.size()))];
}

void PrintFigures(const char* what, const std::vector<double>& ms) {
    std::printf("%-34s %5zu  p50 %8.2f ms  p99 %8.2f ms  max %8.2f ms\n", what, ms.size(),
                Percentile(ms, 0.5), Percentile(ms, 0.99), Percentile(ms, 1.0));
}

void PrintTarget(const char* what, double ratio, double most) {
    std::printf("%s: %.2f times, target at most %.1f: %s\n", what, ratio, most,
                ratio <= most ? "met" : "missed");
}

// Runs `body(index)` on `count` threads that start together; the figures they give.
template <class Body>
std::vector<double> Together(std::size_t count, Body body, std::size_t& errors) {
    std::vector<double> figures;
    std::mutex mutex;
    std::latch ready(static_cast<std::ptrdiff_t>(count));
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < count; ++i) {
        threads.emplace_back([&, i] {
            const double figure = body(i, ready);  // negative: an error
            const std::lock_guard lock(mutex);
            if (figure < 0) {
                ++errors;
            } else {
                figures.push_back(figure);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    return figures;
}

// Saves "userdb" again as the window does: the same bytes under a new inode, renamed over it.
void SaveUserDBAgain(const std::string& folder) {
    const std::string path = folder + "/" + std::string(kUserDBFile);
    std::filesystem::copy_file(path, path + ".new",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::rename(path + ".new", path);
}

}  // namespace

std::size_t RunKept(const LoadOptions& options) {
    const std::string many = StudentLogin(1), one = StudentLogin(2);
    const std::string folder = options.folder + "/" + KeptTestsFolderOf(FromUtf8(many));
    const std::string newest = folder + "/20261207T070000.000000Z-test1";
    for (std::size_t i = 0; i < options.kept; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "/2025%04zuT000000.000000Z-test%zu", i % 9000 + 1, i);
        std::error_code ignored;
        std::filesystem::create_hard_link(newest, folder + name, ignored);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // the folder settles
    CLoadClient a(options.port), b(options.port);
    std::size_t errors = 0;
    if (a.Connect() != CLoadClient::Greeting::Ready || !a.Auth(many, StudentPassword(1)) ||
        b.Connect() != CLoadClient::Greeting::Ready || !b.Auth(one, StudentPassword(2))) {
        std::fprintf(stderr, "loadgen: cannot log in\n");
        return 1;
    }
    std::vector<double> manyMs, oneMs;
    for (std::size_t r = 0; r < options.rounds * 20; ++r) {
        for (auto [client, figures] : {std::pair{&a, &manyMs}, std::pair{&b, &oneMs}}) {
            std::size_t size = 0;
            const auto began = Clock::now();
            errors += client->DownloadToEnd(kTestDBFile, size) && size > 0 ? 0 : 1;
            figures->push_back(Milliseconds(Clock::now() - began));
        }
    }
    std::printf("FILE testdb of a student with\n");
    PrintFigures(("  " + std::to_string(options.kept + 1) + " kept tests").c_str(), manyMs);
    PrintFigures("  1 kept test", oneMs);
    PrintTarget("kept tests, the many to the one", Percentile(manyMs, 0.5) / Percentile(oneMs, 0.5),
                3);
    std::printf("errors: %zu\n", errors);
    return errors;
}

std::size_t RunAuthStorm(const LoadOptions& options) {
    std::size_t errors = 0;
    std::vector<double> settled, saved;
    for (std::size_t r = 0; r < options.rounds; ++r) {
        for (const bool afterSave : {false, true}) {
            std::vector<CLoadClient> clients;
            for (std::size_t i = 0; i < options.clients; ++i) {
                clients.emplace_back(options.port);
                errors += clients.back().Connect() == CLoadClient::Greeting::Ready ? 0 : 1;
            }
            // Both storms come a second after their connections, so that neither pays for
            // starting the sessions; by then the file last changed over a second ago.
            std::this_thread::sleep_for(std::chrono::milliseconds(1100));
            if (afterSave) {
                SaveUserDBAgain(options.folder);
            } else {
                CLoadClient warm(options.port);  // reads the settled file
                errors += warm.Connect() == CLoadClient::Greeting::Ready &&
                                  warm.Auth(kTeacherLogin, kTeacherPassword)
                              ? 0
                              : 1;
            }
            auto figures = Together(
                options.clients,
                [&](std::size_t i, std::latch& ready) {
                    const std::size_t account = 1 + i % (options.accounts - 1);
                    ready.arrive_and_wait();
                    const auto began = Clock::now();
                    const bool ok =
                        clients[i].Auth(StudentLogin(account), StudentPassword(account));
                    return ok ? Milliseconds(Clock::now() - began) : -1.0;
                },
                errors);
            (afterSave ? saved : settled)
                .insert((afterSave ? saved : settled).end(), figures.begin(), figures.end());
        }
    }
    std::printf("%zu AUTHs at once, %zu rounds, userdb of %zu accounts\n", options.clients,
                options.rounds, options.accounts);
    PrintFigures("  settled userdb", settled);
    PrintFigures("  right after a save", saved);
    PrintTarget("AUTH storm, after a save to settled",
                Percentile(saved, 0.5) / Percentile(settled, 0.5), 2.5);
    std::printf("errors: %zu\n", errors);
    return errors;
}

std::size_t RunExamStart(const LoadOptions& options) {
    std::size_t errors = 0;
    const auto start = Clock::now() + std::chrono::milliseconds(200);
    const auto spread = std::chrono::milliseconds(1000) / std::max<std::size_t>(options.clients, 1);
    const auto figures = Together(
        options.clients,
        [&](std::size_t i, std::latch& ready) {
            const std::size_t account = 1 + i % (options.accounts - 1);
            const std::string login = StudentLogin(account), password = StudentPassword(account);
            ready.count_down();
            std::this_thread::sleep_until(start + spread * i);
            const auto began = Clock::now();
            std::size_t size = 0;
            bool ok = false;
            if (options.ftpPort != 0) {
                CFtpClient ftp(options.ftpPort);
                ok =
                    ftp.Login(login, password) && ftp.Retrieve(kTestDBFile, {}, size) && ftp.Quit();
            } else {
                CLoadClient client(options.port);
                ok = client.Connect() == CLoadClient::Greeting::Ready &&
                     client.Auth(login, password) && client.DownloadToEnd(kTestDBFile, size) &&
                     client.Quit();
            }
            return ok && size > 0 ? Milliseconds(Clock::now() - began) : -1.0;
        },
        errors);
    std::printf("exam start, %zu students within 1 s: login and their own test\n", options.clients);
    PrintFigures(options.ftpPort != 0 ? "  vsftpd" : "  orvane-server", figures);
    std::printf("errors: %zu\n", errors);
    return errors;
}

std::size_t RunExamEnd(const LoadOptions& options) {
    std::size_t errors = 0;
    std::vector<std::vector<std::uint8_t>> work(options.clients);
    std::atomic<Clock::rep> firstBegan{Clock::time_point::max().time_since_epoch().count()};
    const auto figures = Together(
        options.clients,
        [&](std::size_t i, std::latch& ready) {
            const std::size_t account = 1 + i % (options.accounts - 1);
            const std::string login = StudentLogin(account), password = StudentPassword(account);
            work[i] = StudentTest(login, static_cast<std::int32_t>(account));
            CFtpClient ftp(options.ftpPort);
            CLoadClient client(options.port);
            const bool in = options.ftpPort != 0
                                ? ftp.Login(login, password)
                                : client.Connect() == CLoadClient::Greeting::Ready &&
                                      client.Auth(login, password);
            ready.arrive_and_wait();
            const auto began = Clock::now();
            const bool ok = in && (options.ftpPort != 0 ? ftp.Store(kWorkedTestFile, work[i])
                                                        : client.Upload(kWorkedTestFile, work[i]));
            Clock::rep first = firstBegan.load();
            while (began.time_since_epoch().count() < first &&
                   !firstBegan.compare_exchange_weak(first, began.time_since_epoch().count())) {
            }
            return ok ? Milliseconds(Clock::now() - began) : -1.0;
        },
        errors);
    // The storm began when the students were all ready; it ends when every copy is on the disk.
    const Clock::time_point began{Clock::duration(firstBegan.load())};
    const auto lastSaved = Clock::now();
    const int folder = ::open(options.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::syncfs(folder);
    ::close(folder);
    const auto flushed = Clock::now();
    std::printf("exam end, %zu students save their work at once (%zu bytes each)\n",
                options.clients, work.empty() ? 0 : work[0].size());
    PrintFigures(options.ftpPort != 0 ? "  vsftpd" : "  orvane-server", figures);
    std::printf("  all saved after %.1f ms, and on the disk (syncfs) after %.1f ms\n",
                Milliseconds(lastSaved - began), Milliseconds(flushed - began));
    std::printf("errors: %zu\n", errors);
    return errors;
}

}  // namespace orvane::load
