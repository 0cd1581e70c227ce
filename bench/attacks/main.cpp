// SPDX-License-Identifier: GPL-3.0-or-later
// attacks: the attacks of a student on an Orvane server on 127.0.0.1, measured.
//   attacks lockout: how long an account's owner waits for a correct AUTH while another address
//     attacks: 50 sessions guessing the owner's password, or 1,100 idle connections. The owner
//     connects from 127.0.0.1, the attacker from 127.0.0.2. Prints the owner's latencies
//     (connect, greeting and the AUTH's answer).
//   attacks fill: one student uploads files of --size bytes under new names until the server
//     refuses or stops storing them; prints how much it stored.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int port = 20248;
    std::string login = "ziak";
    std::string password = "heslo";
    int guessers = 50;
    int idle = 1100;
    int rounds = 20;
    long long size = 64ll << 20;
};

// A connection from `from` to 127.0.0.1:port, with receives that give up after 15 s; -1 when
// none could be made.
int Connect(const Options& options, const char* from) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from, &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<std::uint16_t>(options.port));
    ::inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    const timeval limit{15, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// One reply line, or empty when the connection ends first.
std::string Line(int fd) {
    std::string line;
    char c = 0;
    while (::recv(fd, &c, 1, 0) == 1) {
        line += c;
        if (c == '\n') {
            return line;
        }
    }
    return {};
}

bool Ask(int fd, const std::string& line, std::string& reply) {
    reply.clear();
    return ::send(fd, line.data(), line.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(line.size()) &&
           !(reply = Line(fd)).empty();
}

// Guesses the owner's password from 127.0.0.2 until told to stop, reconnecting whenever the
// server closes the session.
void Guess(const Options& options, const std::atomic<bool>& stop, std::atomic<long>& guesses) {
    for (long n = 0; !stop;) {
        const int fd = Connect(options, "127.0.0.2");
        std::string reply;
        if (fd >= 0 && !Line(fd).empty()) {
            while (!stop && Ask(fd, "AUTH " + options.login + " zle" + std::to_string(++n) + "\r\n",
                                reply)) {
                ++guesses;
            }
        }
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

// The owner's rounds: each connects, is greeted and logs in; prints the latencies.
void MeasureOwner(const Options& options, const char* while_) {
    std::vector<double> latencies;
    int accepted = 0;
    for (int round = 0; round < options.rounds; ++round) {
        const auto start = Clock::now();
        const int fd = Connect(options, "127.0.0.1");
        std::string reply;
        const bool greeted = fd >= 0 && !Line(fd).empty();
        const bool in = greeted &&
                        Ask(fd, "AUTH " + options.login + " " + options.password + "\r\n", reply) &&
                        reply.starts_with("#You are logged in");
        latencies.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        accepted += in ? 1 : 0;
        if (fd >= 0) {
            ::close(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("%-44s accepted %2d/%d  median %8.2f ms  p90 %8.2f ms  max %8.2f ms\n", while_,
                accepted, options.rounds, latencies[latencies.size() / 2],
                latencies[latencies.size() * 9 / 10], latencies.back());
}

void GuessingRun(const Options& options) {
    std::atomic<bool> stop{false};
    std::atomic<long> guesses{0};
    std::vector<std::thread> guessers;
    for (int i = 0; i < options.guessers; ++i) {
        guessers.emplace_back(Guess, std::cref(options), std::cref(stop), std::ref(guesses));
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));  // the guessing is under way
    const long before = guesses;
    const auto start = Clock::now();
    MeasureOwner(options,
                 (std::to_string(options.guessers) + " sessions guessing from 127.0.0.2").c_str());
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%-44s %.1f answered guesses a second\n", "", (guesses - before) / seconds);
    stop = true;
    for (std::thread& guesser : guessers) {
        guesser.join();
    }
}

void IdleRun(const Options& options) {
    std::vector<int> idle;
    for (int i = 0; i < options.idle; ++i) {
        const int fd = Connect(options, "127.0.0.2");
        if (fd >= 0) {
            idle.push_back(fd);
        }
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    MeasureOwner(options,
                 (std::to_string(idle.size()) + " idle connections from 127.0.0.2").c_str());
    for (const int fd : idle) {
        ::close(fd);
    }
}

// Uploads `data` as `name` on a new logged-in session; true when the server took it whole (it
// allowed the upload and closed the connection after the end marker).
bool Upload(const Options& options, const std::string& name, const std::string& data) {
    const int fd = Connect(options, "127.0.0.1");
    std::string reply;
    bool stored = fd >= 0 && !Line(fd).empty() &&
                  Ask(fd, "AUTH " + options.login + " " + options.password + "\r\n", reply) &&
                  Ask(fd, "SAVE " + name + "\r\n", reply) && reply.starts_with("#You are allowed");
    const std::string whole = data + "#File sent successfully.\r\n";
    for (std::size_t sent = 0; stored && sent < whole.size();) {
        const ssize_t done = ::send(fd, whole.data() + sent, whole.size() - sent, MSG_NOSIGNAL);
        stored = done > 0;
        sent += stored ? static_cast<std::size_t>(done) : 0;
    }
    char c = 0;
    stored = stored && ::recv(fd, &c, 1, 0) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return stored;
}

// Each upload under a name of its own, until one is refused or not stored; the server is told
// the bytes were stored only when the file under that name holds them (checked by size).
void FillRun(const Options& options, const std::string& folder) {
    const std::string data(static_cast<std::size_t>(options.size), 'x');
    long long stored = 0;
    int count = 0;
    for (;; ++count) {
        const std::string name = "fill" + std::to_string(count);
        if (!Upload(options, name, data)) {
            break;
        }
        struct stat info {};
        if (::stat((folder + "/" + name).c_str(), &info) != 0 || info.st_size != options.size) {
            break;
        }
        stored += options.size;
        ::unlink((folder + "/" + name).c_str());  // the kept submission holds it
    }
    std::printf(
        "%d uploads of %lld bytes stored, %lld MiB in all; upload %d refused or not stored\n",
        count, options.size, stored >> 20, count + 1);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string command = argc > 1 ? argv[1] : "";
    std::string folder = ".";
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--port" || name == "--guessers" || name == "--idle" || name == "--rounds") {
            int& number = name == "--port"       ? options.port
                          : name == "--guessers" ? options.guessers
                          : name == "--idle"     ? options.idle
                                                 : options.rounds;
            number = std::atoi(value);
        } else if (name == "--login" || name == "--password" || name == "--folder") {
            (name == "--login"      ? options.login
             : name == "--password" ? options.password
                                    : folder) = value;
        } else if (name == "--size") {
            options.size = std::atoll(value);
        } else {
            command.clear();  // the usage below
        }
    }
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
    if (command == "lockout") {
        MeasureOwner(options, "nothing else");
        GuessingRun(options);
        IdleRun(options);
        return 0;
    }
    if (command == "fill") {
        FillRun(options, folder);
        return 0;
    }
    std::fprintf(stderr,
                 "usage: attacks lockout [--port P] [--login L] [--password P] [--guessers N]\n"
                 "                       [--idle N] [--rounds N]\n"
                 "       attacks fill [--port P] [--login L] [--password P] [--size BYTES]\n"
                 "                    [--folder DIR]\n");
    return 2;
}
