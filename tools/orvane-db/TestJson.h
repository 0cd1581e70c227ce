#pragma once
// The test of a test file ("testdb", "quesdb": one stored test with its questions and nets) as
// a JSON object, both ways, every list in the order of the file.
#include <memory>

#include "JsonShape.h"
#include "JsonWriter.h"
#include "exam/PNTest.h"

namespace orvane {

// Writes {"login", "id", "toBeWorkedOut", "timeLimit", "questions"} for a test loaded from a
// file.
void DumpTest(CJsonWriter& writer, CPNTest& test);

// The test whose store code writes what the object describes.
std::shared_ptr<CPNTest> PackTest(const CJsonShape& test);

}  // namespace orvane
