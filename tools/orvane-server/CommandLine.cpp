// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <string_view>

namespace {

// Reads one option's value into the command line; the complaint when it does not fit.
using ValueReader = std::string (*)(std::string_view value, CommandLine& line);

template <class Number>
bool ReadNumber(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::string ReadPort(std::string_view value, CommandLine& line) {
    unsigned port = 0;
    if (!ReadNumber(value, port) || port == 0 || port > 65535) {
        return "not a port number";
    }
    line.server.port = static_cast<std::uint16_t>(port);
    return {};
}

std::string ReadAddress(std::string_view value, CommandLine& line) {
    in_addr address{};
    if (::inet_pton(AF_INET, std::string(value).c_str(), &address) != 1) {
        return "not an IPv4 address";
    }
    line.server.address = ntohl(address.s_addr);
    return {};
}

std::string ReadFolder(std::string_view value, CommandLine& line) {
    if (value.empty()) {
        return "no folder named";
    }
    line.folder = value;
    return {};
}

// A whole number, at least `least`.
template <class Number>
bool ReadAtLeast(std::string_view text, Number least, Number& value) {
    return ReadNumber(text, value) && value >= least;
}

// A size in bytes, or with K, M or G for KiB, MiB or GiB.
bool ReadSize(std::string_view text, std::uint64_t& bytes) {
    int shift = 0;
    if (!text.empty()) {
        const char unit = static_cast<char>(text.back() | 0x20);
        shift = unit == 'k' ? 10 : unit == 'm' ? 20 : unit == 'g' ? 30 : 0;
    }
    std::uint64_t count = 0;
    if (!ReadNumber(shift > 0 ? text.substr(0, text.size() - 1) : text, count) ||
        count > (std::uint64_t{1} << (63 - shift))) {
        return false;
    }
    bytes = count << shift;
    return true;
}

constexpr char kWholeNumber[] = "not a whole number of at least 1";
constexpr char kCount[] = "not a whole number";
constexpr char kSize[] = "not a size (bytes, or a number with K, M or G)";

std::string ReadMaxPerAddress(std::string_view value, CommandLine& line) {
    return ReadAtLeast(value, std::size_t{1}, line.server.maxPerAddress) ? "" : kWholeNumber;
}

std::string ReadLoginTimeout(std::string_view value, CommandLine& line) {
    unsigned seconds = 0;
    if (!ReadAtLeast(value, 1u, seconds)) {
        return kWholeNumber;
    }
    line.server.loginDeadline = std::chrono::seconds(seconds);
    return {};
}

std::string ReadMaxRefusals(std::string_view value, CommandLine& line) {
    return ReadAtLeast(value, std::size_t{1}, line.server.maxRefusals) ? "" : kWholeNumber;
}

std::string ReadMaxPerLogin(std::string_view value, CommandLine& line) {
    return ReadNumber(value, line.server.maxPerLogin) ? "" : kCount;
}

std::string ReadMaxSubmissions(std::string_view value, CommandLine& line) {
    return ReadAtLeast(value, std::size_t{1}, line.server.maxSubmissions) ? "" : kWholeNumber;
}

std::string ReadReserveInodes(std::string_view value, CommandLine& line) {
    return ReadNumber(value, line.server.reserveInodes) ? "" : kCount;
}

std::string ReadMaxUpload(std::string_view value, CommandLine& line) {
    return ReadSize(value, line.server.maxUpload) && line.server.maxUpload > 0 ? "" : kSize;
}

std::string ReadMaxSubmissionBytes(std::string_view value, CommandLine& line) {
    return ReadSize(value, line.server.maxSubmissionBytes) && line.server.maxSubmissionBytes > 0
               ? ""
               : kSize;
}

std::string ReadReserveSpace(std::string_view value, CommandLine& line) {
    return ReadSize(value, line.server.reserveBytes) ? "" : kSize;
}

// START:RATE:FULL, as in "64:30:128".
std::string ReadMaxStartups(std::string_view value, CommandLine& line) {
    const std::size_t first = value.find(':');
    const std::size_t second = value.find(':', first == value.npos ? first : first + 1);
    orvane::StartupLimits limits;
    if (second == value.npos ||
        !ReadAtLeast(value.substr(0, first), std::size_t{1}, limits.start) ||
        !ReadNumber(value.substr(first + 1, second - first - 1), limits.rate) ||
        !ReadNumber(value.substr(second + 1), limits.full) || limits.rate > 100 ||
        limits.full < limits.start) {
        return "not START:RATE:FULL, with 1 <= START <= FULL and RATE a percentage";
    }
    line.server.startups = limits;
    return {};
}

constexpr std::pair<std::string_view, ValueReader> kOptions[] = {
    {"--port", ReadPort},
    {"--listen", ReadAddress},
    {"--dir", ReadFolder},
    {"--max-per-address", ReadMaxPerAddress},
    {"--login-timeout", ReadLoginTimeout},
    {"--max-refusals", ReadMaxRefusals},
    {"--max-startups", ReadMaxStartups},
    {"--max-per-login", ReadMaxPerLogin},
    {"--max-upload", ReadMaxUpload},
    {"--max-submissions", ReadMaxSubmissions},
    {"--max-submission-bytes", ReadMaxSubmissionBytes},
    {"--reserve-space", ReadReserveSpace},
    {"--reserve-inodes", ReadReserveInodes},
};

bool Complain(std::string_view option, std::string_view complaint,
              std::optional<std::string_view> value = std::nullopt) {
    std::string line = "orvane-server: " + std::string(option) + ": " + std::string(complaint);
    if (value) {
        line += ": " + std::string(*value);
    }
    std::fprintf(stderr, "%s\n", line.c_str());
    return false;
}

// Reads the argument at `i` (and its value, which may follow it); false after a complaint.
bool ReadArgument(int argc, char** argv, int& i, CommandLine& line) {
    std::string_view name = argv[i];
    std::optional<std::string_view> value;
    if (const std::size_t equals = name.find('='); name.starts_with("--") && equals != name.npos) {
        value = name.substr(equals + 1);
        name = name.substr(0, equals);
    }
    const bool help = name == "--help" || name == "-h";
    if (help || name == "--version" || name == "--check") {
        line.action = help                  ? CommandLine::Action::Help
                      : name == "--version" ? CommandLine::Action::Version
                                            : CommandLine::Action::Check;
        return !value || Complain(name, "takes no value");
    }
    if (name == "--serve-keys") {
        line.server.serveKeys = true;
        return !value || Complain(name, "takes no value");
    }
    const auto option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                     [&](const auto& entry) { return entry.first == name; });
    if (option == std::end(kOptions)) {
        return Complain(name, "unknown option");
    }
    if (!value && i + 1 >= argc) {
        return Complain(name, "needs a value");
    }
    if (!value) {
        value = argv[++i];
    }
    const std::string complaint = option->second(*value, line);
    return complaint.empty() || Complain(name, complaint, *value);
}

}  // namespace

std::optional<CommandLine> ParseCommandLine(int argc, char** argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        if (!ReadArgument(argc, argv, i, line)) {
            return std::nullopt;
        }
    }
    return line;
}

std::string AddressText(std::uint32_t address) {
    const in_addr network{htonl(address)};
    char text[INET_ADDRSTRLEN] = "";
    ::inet_ntop(AF_INET, &network, text, sizeof text);
    return text;
}
