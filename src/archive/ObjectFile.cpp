#include "archive/ObjectFile.h"

#include "archive/Archive.h"
#include "archive/Object.h"
#include "common/AtomicFile.h"
#include "common/ConsoleLine.h"
#include "common/FileBytes.h"
#include "common/TextCodec.h"

namespace orvane {

void LoadObjectFile(CObject& object, const std::u16string& fileName) {
    const auto bytes = ReadFileBytes(ToUtf8(fileName));
    if (!bytes) {
        PrintConsoleLine("Cannot open file: " + ToUtf8(fileName));
        return;
    }
    CArchive archive(*bytes);
    object.Serialize(archive);
}

void SaveObjectFile(CObject& object, const std::u16string& fileName) {
    CArchive archive;
    object.Serialize(archive);
    if (!WriteFileAtomically(ToUtf8(fileName), archive.Pieces())) {
        PrintConsoleLine("Cannot write to file: " + ToUtf8(fileName));
    }
}

}  // namespace orvane
