#pragma once
// orvane-server as a process of its own, started in the current folder, with its standard
// output collected. Every wait is bounded; a process still running at the end is killed.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvane::test {

class ServerProcess {
public:
    // Starts orvane-server with the arguments; `inChild` runs in the new process just before
    // the program starts (to set limits or signal dispositions that it inherits).
    explicit ServerProcess(std::vector<std::string> arguments,
                           const std::function<void()>& inChild = {});
    // Started with --port on a free port.
    static ServerProcess OnFreePort(const std::function<void()>& inChild = {});
    ServerProcess(ServerProcess&& other) noexcept;
    ServerProcess& operator=(ServerProcess&&) = delete;
    ~ServerProcess();

    std::uint16_t Port() const { return port; }
    // True once the port takes connections.
    bool WaitForListener() const;
    void Signal(int signal) const;
    // The exit code; -1 when the process ends by a signal or does not end in time (it is then
    // killed).
    int WaitForExit();
    // Everything the process wrote to standard output; call after it has ended.
    std::string Output();

private:
    pid_t pid = -1;
    int output = -1;
    std::uint16_t port = 0;
};

}  // namespace orvane::test
