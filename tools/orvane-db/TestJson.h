// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The test of a test file ("testdb", "quesdb": one stored test with its questions and nets) as
// a JSON object, both ways, every list in the order of the file.
#include <memory>

#include "JsonShape.h"
#include "JsonWriter.h"
#include "exam/PNTest.h"
#include "petrinet/PNPetriNet.h"

namespace orvane {

// Writes {"login", "id", "toBeWorkedOut", "timeLimit", "questions"} for a test loaded from a
// file.
void DumpTest(CJsonWriter& writer, CPNTest& test);

// Writes {"elements", "arcs"} for a net, or null: the form a question's net takes.
void DumpNet(CJsonWriter& writer, const std::shared_ptr<CPNPetriNet>& net);

// The test whose store code writes what the object describes.
std::shared_ptr<CPNTest> PackTest(const CJsonShape& test);

}  // namespace orvane
