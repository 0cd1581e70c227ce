#pragma once
// A database file as a whole: the archive of one object, read in one go and written through
// an atomic replacement. Trouble with the file itself is a console line; a file whose bytes
// do not decode throws ArchiveError, as the object's Serialize does.
#include <string>

namespace orvane {

class CObject;

// Loads the object from the file's bytes; a file that cannot be read is the console line
// "Cannot open file: <name>" and leaves the object as it was.
void LoadObjectFile(CObject& object, const std::u16string& fileName);
// Replaces the file with the object's stored form; a failed write is the console line
// "Cannot write to file: <name>" and leaves the earlier file as it was.
void SaveObjectFile(CObject& object, const std::u16string& fileName);

}  // namespace orvane
