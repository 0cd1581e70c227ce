// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data of a load run, the same in the generator and in the folder it prepares: the
// accounts of "userdb" and file contents that never hold a marker of the protocol.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvane::load {

constexpr char kTeacherLogin[] = "ucitel";
constexpr char kTeacherPassword[] = "tajne";

std::string StudentLogin(std::size_t index);
std::string StudentPassword(std::size_t index);

// `size` pseudo-random bytes drawn from `seed`, without any "#" or "!", so that no marker of
// the protocol can stand in them.
std::vector<std::uint8_t> FileContent(std::uint64_t seed, std::size_t size);

// Writes "userdb" with the teacher and `accounts - 1` students into `folder`, and the file
// `name` of `size` bytes of FileContent(0, size). False (with the reason printed) on failure.
bool PrepareFolder(const std::string& folder, std::size_t accounts, const std::string& name,
                   std::size_t size);

// The bytes of a kept test of `login` (a test file as the window keeps one): 30 questions, each
// with a net of 30 places and 30 transitions, about as large as a test of a real exam.
std::vector<std::uint8_t> StudentTest(const std::string& login, std::int32_t id);
// Keeps a test for every student of `accounts`, as "tests/<login>/" of `folder` holds it;
// with `ftpRoot`, the same test as "<ftpRoot>/<login>/testdb" for an FTP server, one folder
// per user (the teacher's empty), and every login and password, a line each, in
// "<ftpRoot>.users" (db_load's input). False (with the reason printed) on failure.
bool PrepareTests(const std::string& folder, std::size_t accounts, const std::string& ftpRoot);

// A read-only view of a whole file, mapped into memory.
class CMappedFile {
public:
    explicit CMappedFile(const std::string& path);
    ~CMappedFile();
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;

    bool IsOpen() const { return mapped || size == 0; }
    std::span<const std::uint8_t> Bytes() const {
        return {static_cast<const std::uint8_t*>(mapped), size};
    }

private:
    void* mapped = nullptr;
    std::size_t size = static_cast<std::size_t>(-1);
};

}  // namespace orvane::load
