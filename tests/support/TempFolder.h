// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh temporary folder that becomes the working directory for one test, as the program
// keeps its files in its working directory; the old working directory comes back afterwards.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvane::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path; }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string path;
    std::string previous;
};

// A test fixture whose working directory is a fresh temporary folder.
class InTempFolder : public ::testing::Test {
protected:
    TempFolder folder;
};

std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
bool Exists(const std::string& path);
// Runs `write` while no file may grow beyond `limit` bytes: a write past it fails (EFBIG).
void UnderFileSizeLimit(std::uint64_t limit, const std::function<void()>& write);
// What `action` writes to standard output, where the databases report trouble with files.
std::string Printed(const std::function<void()>& action);

}  // namespace orvane::test
