#pragma once
// Reads a whole file into memory in one go, so that a loader works on a snapshot of one
// version of the file and every length it meets can be checked against the bytes that exist.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

// The file's bytes, or nothing when it cannot be opened or read (a folder, a missing file).
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path);
// The bytes from an open descriptor's position to the end, or nothing on a read error.
std::optional<std::vector<std::uint8_t>> ReadDescriptorBytes(int fd);

}  // namespace orvane
