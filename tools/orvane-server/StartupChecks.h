#pragma once
// The checks of orvane-server as it starts: a folder that uploads cannot be written to, and a
// "userdb" that is missing, unreadable, undecodable or empty each give a warning line that
// says what the clients will get. The server starts all the same.
#include <string>

void CheckServedFolder(const std::string& folder);
