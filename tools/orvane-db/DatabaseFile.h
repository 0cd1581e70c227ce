#pragma once
// A database file and its JSON form. Which kind a file holds is told by its bytes: a test file
// starts with an object tag (FF FF for the class record of its test), a user database with a
// 32-bit count; one of 65,535 or more accounts starts with FF FF too, so a file that begins
// with FF FF but does not load as a test is tried as a user database.
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "JsonShape.h"

namespace orvane {

class DatabaseFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The content of a "userdb", "testdb" or "quesdb" file; DatabaseFileError when it loads as
// neither kind.
Json DumpDatabaseFile(std::span<const std::uint8_t> bytes);

// The bytes that the program's own store code writes for the document; JsonShapeError names
// the key that does not fit.
std::vector<std::uint8_t> PackDatabaseDocument(const Json& document);

}  // namespace orvane
