// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The read error of an archive: the only exception of the system. It leaves every Serialize
// on its way up to whoever opened the archive; the cause tells what was wrong.
#include <stdexcept>
#include <string>

namespace orvane {

class ArchiveError : public std::runtime_error {
public:
    enum class Cause {
        EndOfData,  // the data ends inside an item, or a length exceeds what is left
        BadClass,   // an unregistered or too long class name, or an object of another class
        BadSchema,  // a class record whose schema is not the registered one
        BadIndex,   // a reference to an index not yet assigned, or to the wrong kind of entry
    };

    ArchiveError(Cause cause, const std::string& detail);

    Cause GetCause() const { return cause; }

    static const char* CauseName(Cause cause);

private:
    Cause cause;
};

}  // namespace orvane
