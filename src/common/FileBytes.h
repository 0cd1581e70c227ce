// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads a whole file into memory in one go, so that a loader works on a snapshot of one
// version of the file and every length it meets can be checked against the bytes that exist.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/FileResult.h"

namespace orvane {

// Opens a regular file for reading into `fd`. A name that does not exist is Missing; a
// folder, a named pipe or a device under the name is Unreadable (a named pipe is opened
// without waiting for a writer, so it never holds the caller), as is a refused permission.
CFileResult OpenFileForReading(const std::string& path, int& fd);
// The same, without following a symbolic link anywhere on the path (a link is Unreadable,
// ELOOP), for files handed to others: a link left in a folder never hands out its target.
// `info`, when given, receives what the opened file is.
CFileResult OpenFileWithoutLinks(const std::string& path, int& fd, struct stat* info = nullptr);
// The whole regular file, as OpenFileForReading tells; running out of memory is Unreadable
// (ENOMEM).
CFileResult ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes);
// The bytes from an open descriptor's position to its end (a file or a pipe).
CFileResult ReadDescriptorBytes(int fd, std::vector<std::uint8_t>& bytes);
// The same for a regular file whose size the caller knows already (from its fstat), read
// from its start.
CFileResult ReadDescriptorBytes(int fd, std::vector<std::uint8_t>& bytes, std::size_t size);

}  // namespace orvane
