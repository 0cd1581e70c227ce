#pragma once
// A test file ("testdb", "quesdb": one stored test with its questions and nets) as JSON, both
// ways, every list in the order of the file.
#include <memory>

#include "JsonShape.h"
#include "exam/PNTest.h"

namespace orvane {

// {"type": "test", "test": {...}} for a test loaded from a file.
Json DumpTestFile(CPNTest& test);

// The test whose store code writes what the "test" member of a document describes.
std::shared_ptr<CPNTest> PackTest(const CJsonShape& test);

}  // namespace orvane
