// SPDX-License-Identifier: GPL-3.0-or-later
// loadgen: puts an Orvane server on this machine under load and measures it, checking every
// reply and every byte. See --help.
#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "ExamRuns.h"
#include "LoadData.h"
#include "LoadRuns.h"

namespace {

constexpr char kHelp[] =
    "Usage:\n"
    "  loadgen prepare FOLDER [--accounts N] [--file NAME] [--file-size BYTES]\n"
    "      writes FOLDER/userdb (teacher ucitel/tajne and N-1 students) and the file NAME\n"
    "      (default download.bin, 65536 bytes) for a server to serve\n"
    "  loadgen cycles [--port P] [--folder DIR] [--idle N] [--clients N] [--cycles N]\n"
    "                 [--size BYTES] [--accounts N] [--file NAME] [--upload]\n"
    "      holds N idle sessions (1000) while N clients (100) each run N cycles (500) of\n"
    "      AUTH, FILE, QUIT on one connection and AUTH, SAVE of BYTES (65536) on another\n"
    "      (with --upload only the second)\n"
    "  loadgen auth [--port P] [--clients N] [--seconds S] [--accounts N]\n"
    "      N clients (8) log in again and again on open connections for S seconds (5)\n"
    "  loadgen prepare-tests FOLDER [--accounts N] [--ftp-root DIR]\n"
    "      keeps a test for each student in FOLDER/tests/<login>/; with --ftp-root also as\n"
    "      DIR/<login>/testdb, and the logins and passwords in DIR.users for db_load\n"
    "  loadgen transfer [--port P | --ftp-port P] [--folder DIR] [--file NAME] [--clients N]\n"
    "                   [--upload] [--discard]\n"
    "      N clients (1) each download (or upload) the whole file at the same time; with\n"
    "      --discard the bytes are not checked (downloads dropped, uploaded copies kept)\n"
    "  loadgen kept [--port P] [--folder DIR] [--kept N] [--rounds R]\n"
    "      FILE testdb of ziak1 with N (5000) older kept tests, and of ziak2 with one\n"
    "  loadgen auth-storm [--port P] [--folder DIR] [--clients N] [--rounds R] [--accounts N]\n"
    "      N AUTHs (200) at once on a settled userdb and right after it was saved again\n"
    "  loadgen exam-start|exam-end [--port P | --ftp-port P] [--folder DIR] [--clients N]\n"
    "      N students (300) within a second log in and download their own test; or save\n"
    "      their work at once (the folder is the FTP server's for --ftp-port)\n"
    "The server serves DIR (default: the current folder) on 127.0.0.1:P (default 20248).\n"
    "Exit status: 0 without errors, 1 with errors, 2 for a wrong command line.\n";

bool ParseNumber(std::string_view text, std::size_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// Reads the options after the command word; nothing when one is wrong (it is printed).
std::optional<orvane::load::LoadOptions> ParseOptions(std::string_view command, int argc,
                                                      char** argv, int first, std::size_t& fileSize,
                                                      std::string& ftpRoot) {
    orvane::load::LoadOptions options;
    options.clients = command == "auth"                                  ? 8
                      : command == "transfer"                            ? 1
                      : command == "auth-storm"                          ? 200
                      : command == "exam-start" || command == "exam-end" ? 300
                                                                         : 100;
    const std::pair<std::string_view, std::size_t*> counts[] = {
        {"--idle", &options.idle}, {"--clients", &options.clients},   {"--cycles", &options.cycles},
        {"--size", &options.size}, {"--accounts", &options.accounts}, {"--file-size", &fileSize},
        {"--kept", &options.kept}, {"--rounds", &options.rounds}};
    for (int i = first; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (name == "--upload" || name == "--discard") {
            (name == "--upload" ? options.upload : options.discard) = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "loadgen: %s needs a value\n", argv[i]);
            return std::nullopt;
        }
        const std::string_view value = argv[++i];
        std::size_t number = 0;
        const bool isNumber = ParseNumber(value, number);
        const auto count = std::find_if(std::begin(counts), std::end(counts),
                                        [&](const auto& entry) { return entry.first == name; });
        if (name == "--folder") {
            options.folder = value;
        } else if (name == "--file") {
            options.file = value;
        } else if (name == "--seconds" && isNumber) {
            options.seconds = static_cast<double>(number);
        } else if ((name == "--port" || name == "--ftp-port") && isNumber && number > 0 &&
                   number < 65536) {
            (name == "--port" ? options.port : options.ftpPort) =
                static_cast<std::uint16_t>(number);
        } else if (name == "--ftp-root") {
            ftpRoot = value;
        } else if (count != std::end(counts) && isNumber) {
            *count->second = number;
        } else {
            std::fprintf(stderr, "loadgen: wrong option %s %s\n", argv[i - 1], argv[i]);
            return std::nullopt;
        }
    }
    return options;
}

// Every connection is a descriptor: allow as many as the hard limit does.
void AllowManyConnections() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "--help" || command == "-h") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    const bool prepare = command == "prepare" || command == "prepare-tests";
    std::size_t fileSize = 65536;
    std::string ftpRoot;
    const auto options = ParseOptions(command, argc, argv, prepare ? 3 : 2, fileSize, ftpRoot);
    using Run = std::size_t (*)(const orvane::load::LoadOptions&);
    const std::pair<std::string_view, Run> runs[] = {
        {"cycles", orvane::load::RunCycles},        {"auth", orvane::load::RunAuth},
        {"transfer", orvane::load::RunTransfer},    {"kept", orvane::load::RunKept},
        {"auth-storm", orvane::load::RunAuthStorm}, {"exam-start", orvane::load::RunExamStart},
        {"exam-end", orvane::load::RunExamEnd}};
    const auto run = std::find_if(std::begin(runs), std::end(runs),
                                  [&](const auto& entry) { return entry.first == command; });
    if (!options || (prepare && argc < 3) || (!prepare && run == std::end(runs))) {
        std::fputs(kHelp, stderr);
        return 2;
    }
    AllowManyConnections();
    std::size_t errors = 0;
    if (command == "prepare") {
        errors = orvane::load::PrepareFolder(argv[2], options->accounts, options->file, fileSize)
                     ? 0
                     : 1;
    } else if (prepare) {
        errors = orvane::load::PrepareTests(argv[2], options->accounts, ftpRoot) ? 0 : 1;
    } else {
        errors = run->second(*options);
    }
    return errors == 0 ? 0 : 1;
}
