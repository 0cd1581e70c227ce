#pragma once
// Which file a download sends. Every account may download "testdb", the shared test; a
// student for whom the administration window has kept generated tests gets the newest of
// them instead, under the same name and with the same replies. Only the window writes
// "tests/<login>/", and only tests made to be worked out by that login, so the server finds a
// student's test by the folder and the name alone and never has to read one.
#include <string>
#include <string_view>

namespace orvane {

// The path to send for the file name a client asked for: for "testdb" asked by an account
// without teacher rights (the session's last accepted login), the account's newest kept test
// when there is one; otherwise the name itself.
std::string PathToSend(std::u16string_view name, const std::u16string& login, bool teacher);

}  // namespace orvane
