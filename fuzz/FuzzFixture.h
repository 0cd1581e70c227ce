// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the fuzz targets and the seed generator share: the accounts and files of the session
// target's working folder, database files made by the model's own store code, the round trip
// that every file which loads must survive, and how one input of the session target is cut
// into the client's sends.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::fuzz {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::string_view kTeacherLogin = "ucitel";
inline constexpr std::string_view kTeacherPassword = "Tajne123";
inline constexpr std::string_view kStudentLogin = "ziak";
inline constexpr std::string_view kStudentPassword = "heslo";

// The byte between two sends of the client (ASCII record separator) in an input of the
// session target, and between two receives in one of the upload scanner: one byte, so that
// the fuzzer finds and moves it easily.
inline constexpr char kSendSeparator = '\x1e';
// The byte between two sessions, one after the other in the same folder (ASCII group
// separator): so an upload, which ends its session, can be followed by logins that load it.
inline constexpr char kSessionSeparator = '\x1d';
// Sends and sessions beyond these go out with the last one: every wait for the go-ahead can
// pause, and one input must stay quick.
inline constexpr std::size_t kMaxSends = 48;
inline constexpr std::size_t kMaxSessions = 4;

// A "userdb" with the teacher and the student, and `extra` further students.
Bytes SampleUserDB(int extra);
// A "testdb" holding one test; `variant` picks how many questions and how large their nets.
Bytes SampleTestFile(int variant);
// A file of `size` bytes of printable text.
Bytes SampleText(std::size_t size);

// The input cut at each `separator` into at most `maxParts` parts; the last part keeps
// whatever separators remain.
std::vector<std::string_view> SplitAt(std::string_view input, char separator, std::size_t maxParts);

// The database (CPNUserDB or CPNTestDB, its cursor on the first entry) that `bytes` load
// into, or null when they do not load: a malformed file is refused without harm. A file that
// loads must also survive the round trip: its stored form, loaded and stored twice more, must
// come back byte for byte (each round reverses the lists), or the run ends with `what`.
template <class Database>
std::unique_ptr<Database> LoadWithStableReloads(std::span<const std::uint8_t> bytes,
                                                const char* what);

// Ends the fuzz run with the message unless `holds` (the fuzzer keeps the input as a crash).
void Require(bool holds, const char* what);

// Sends the console lines of the model (a file that cannot be read, an account skipped) to
// /dev/null, so that the fuzzer's own output stays readable.
void SilenceConsoleLines();

}  // namespace orvane::fuzz
