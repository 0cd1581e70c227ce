#include "CommandLine.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>
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

std::string ReadMaxPerAddress(std::string_view value, CommandLine& line) {
    std::size_t most = 0;
    if (!ReadNumber(value, most) || most == 0) {
        return "not a whole number of at least 1";
    }
    line.server.maxPerAddress = most;
    return {};
}

constexpr std::pair<std::string_view, ValueReader> kOptions[] = {
    {"--port", ReadPort},
    {"--listen", ReadAddress},
    {"--dir", ReadFolder},
    {"--max-per-address", ReadMaxPerAddress},
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
