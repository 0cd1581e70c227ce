#include "ServerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/LoopbackClient.h"

namespace orvane::test {
namespace {

constexpr auto kLimit = std::chrono::seconds(20);

}  // namespace

ServerProcess::ServerProcess(std::vector<std::string> arguments,
                             const std::function<void()>& inChild) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return;
    }
    std::vector<char*> argv{const_cast<char*>(ORVANE_SERVER_BINARY)};
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        if (inChild) {
            inChild();
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    output = pipeEnds[0];
}

ServerProcess ServerProcess::OnFreePort(const std::function<void()>& inChild) {
    const std::uint16_t port = FreePort();
    ServerProcess process({"--port", std::to_string(port)}, inChild);
    process.port = port;
    return process;
}

ServerProcess::ServerProcess(ServerProcess&& other) noexcept
    : pid(other.pid), output(other.output), port(other.port) {
    other.pid = -1;
    other.output = -1;
}

ServerProcess::~ServerProcess() {
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    if (output >= 0) {
        ::close(output);
    }
}

bool ServerProcess::WaitForListener() const {
    const auto deadline = std::chrono::steady_clock::now() + kLimit;
    while (!CanConnect(port) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return CanConnect(port);
}

void ServerProcess::Signal(int signal) const {
    ::kill(pid, signal);
}

int ServerProcess::WaitForExit() {
    int status = 0;
    for (auto deadline = std::chrono::steady_clock::now() + kLimit;
         ::waitpid(pid, &status, WNOHANG) != pid;) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            pid = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ServerProcess::Output() {
    std::string text;
    char buffer[4096];
    for (ssize_t got; output >= 0 && (got = ::read(output, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

}  // namespace orvane::test
