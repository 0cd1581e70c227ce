// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CServiceNotifier: tells systemd how the service stands, for a unit of Type=notify: ready
// once it listens (so that "systemctl start" waits for it, and reports a server that could
// not start as failed), reloading while it reads its files again, stopping when it ends. It
// speaks the documented notification protocol itself: one datagram to the AF_UNIX socket
// named in NOTIFY_SOCKET ("@" for the abstract namespace). Outside systemd, where
// NOTIFY_SOCKET is not set, it does nothing.
#include <string>

class CServiceNotifier {
public:
    // "STATUS=" shows in "systemctl status".
    static void Ready(const std::string& status);
    static void Reloading();
    static void Stopping();

    // Sends `state` ("READY=1\nSTATUS=..."); false when there is nobody to tell, or the
    // datagram could not be sent.
    static bool Send(const std::string& state);
};
