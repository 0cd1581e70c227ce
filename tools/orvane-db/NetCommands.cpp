// SPDX-License-Identifier: GPL-3.0-or-later
#include "NetCommands.h"

#include <charconv>
#include <limits>
#include <optional>

#include "AnalysisJson.h"
#include "Pnml.h"
#include "TestJson.h"
#include "ToolLines.h"
#include "XmlReader.h"
#include "analysis/NetComparison.h"
#include "archive/Archive.h"
#include "exam/PNTestDB.h"

namespace orvane {
namespace {

struct SOptions {
    std::string file;
    std::optional<std::int32_t> question;
    std::optional<bool> keyNet;  // which net: the solution (true) or the work net (false)
    SExploreLimits limits;
};

template <class T>
bool Number(std::string_view text, T least, T& value) {
    const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), value);
    return fault == std::errc() && end == text.data() + text.size() && value >= least;
}

// FILE and the options after it; false when they do not fit.
bool ReadOptions(int argc, const char* const argv[], SOptions& options) {
    if (argc < 3) {
        return false;
    }
    options.file = argv[2];
    for (int i = 3; i < argc; i += 2) {
        if (i + 1 >= argc) {
            return false;
        }
        const std::string_view option = argv[i], value = argv[i + 1];
        std::int32_t question = 0;
        if (option == "--question" &&
            Number(value, std::numeric_limits<std::int32_t>::min(), question)) {
            options.question = question;
        } else if (option == "--net" && (value == "work" || value == "key")) {
            options.keyNet = value == "key";
        } else if (option != "--states" || !Number(value, 1u, options.limits.states) ||
                   options.limits.states == std::numeric_limits<std::uint32_t>::max()) {
            return false;
        }
    }
    return true;
}

// The test that a test file holds; null with `problem` when it holds none.
std::shared_ptr<CPNTest> LoadTest(const std::vector<std::uint8_t>& bytes, CPNTestDB& database,
                                  std::string& problem) {
    try {
        CArchive archive(bytes);
        database.Serialize(archive);
    } catch (const ArchiveError& error) {
        problem = std::string("not a test file (") + error.what() + ")";
        return nullptr;
    }
    if (!database.First()) {
        problem = "not a test file (it holds no test)";
        return nullptr;
    }
    return database.Current();
}

// The questions of the test in the order of the file, or only the one asked for.
std::vector<std::shared_ptr<CPNQuestion>> Questions(CPNTest& test, const SOptions& options) {
    std::vector<std::shared_ptr<CPNQuestion>> questions;
    for (bool more = test.FirstQuestion(); more; more = test.NextQuestion()) {
        const auto question = test.CurrentQuestion();
        if (!options.question || question->GetId() == *options.question) {
            questions.insert(questions.begin(), question);  // loading reversed the list
        }
    }
    return questions;
}

void AnalyseNetOf(CJsonWriter& writer, const std::shared_ptr<CPNPetriNet>& net,
                  const SExploreLimits& limits) {
    if (net == nullptr) {
        writer.Null();
    } else {
        DumpAnalysis(writer, AnalyseNet(CNetStructure::FromDrawing(*net), limits));
    }
}

void AnalyseQuestion(CJsonWriter& writer, const CPNQuestion& question, const SOptions& options) {
    writer.BeginObject();
    writer.Key("id").Number(question.GetId());
    writer.Key("kind").Number(static_cast<std::int32_t>(question.GetKind()));
    writer.Key("title").Text(question.GetTitle());
    const auto work = question.GetWorkNet(), key = question.GetKeyNet();
    if (options.keyNet != true) {
        AnalyseNetOf(writer.Key("workNet"), work, options.limits);
    }
    if (options.keyNet != false) {
        AnalyseNetOf(writer.Key("keyNet"), key, options.limits);
    }
    if (!options.keyNet && work != nullptr && key != nullptr && !work->IsEmpty() &&
        !key->IsEmpty()) {
        DumpComparison(writer.Key("comparison"),
                       CompareNets(CNetStructure::FromDrawing(*work),
                                   CNetStructure::FromDrawing(*key), options.limits));
    }
    writer.EndObject();
}

int Analyse(const SOptions& options, CPNTest& test, std::FILE* out, std::FILE* err) {
    const auto questions = Questions(test, options);
    if (options.question && questions.empty()) {
        return Fail(err, {NameOf(options.file), ": no question has the id ",
                          std::to_string(*options.question)});
    }
    CJsonWriter writer(out, std::numeric_limits<std::uint64_t>::max());
    writer.BeginObject();
    writer.Key("stateLimit").Number(options.limits.states);
    writer.Key("questions").BeginArray();
    for (const auto& question : questions) {
        AnalyseQuestion(writer, *question, options);
    }
    writer.EndArray();
    writer.EndObject();
    writer.Finish();
    return FlushOutput(out, err);
}

int ExportPnml(const SOptions& options, CPNTest& test, std::FILE* out, std::FILE* err) {
    const auto questions = Questions(test, options);
    if (questions.empty()) {
        return Fail(err, {NameOf(options.file), ": no question has the id ",
                          std::to_string(*options.question)});
    }
    const auto net =
        *options.keyNet ? questions.front()->GetKeyNet() : questions.front()->GetWorkNet();
    if (net == nullptr) {
        return Fail(err, {NameOf(options.file), ": the question has no ",
                          *options.keyNet ? "solution" : "work", " net"});
    }
    std::vector<std::string> warnings;
    const std::string name = (*options.keyNet ? "key" : "work") + std::string(" net of question ") +
                             std::to_string(*options.question);
    const std::string document = WritePnml(*net, name, warnings);
    for (const auto& warning : warnings) {
        Fail(err, {NameOf(options.file), ": warning: ", warning});
    }
    std::fwrite(document.data(), 1, document.size(), out);
    return FlushOutput(out, err);
}

int ImportPnml(const std::string& file, std::FILE* out, std::FILE* err) {
    std::vector<std::uint8_t> bytes;
    const CFileResult read = ReadInput(file, bytes);
    if (!read.IsOk()) {
        return CannotRead(err, file, read);
    }
    SXmlElement document;
    std::string error;
    std::vector<std::string> warnings;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::shared_ptr<CPNPetriNet> net;
    if (CXmlReader(text).Read(document, error)) {
        net = ReadPnml(document, warnings, error);
    }
    if (net == nullptr) {
        return Fail(err, {NameOf(file), ": ", error});
    }
    for (const auto& warning : warnings) {
        Fail(err, {NameOf(file), ": warning: ", warning});
    }
    CJsonWriter writer(out, std::numeric_limits<std::uint64_t>::max());
    DumpNet(writer, net);
    writer.Finish();
    return FlushOutput(out, err);
}

}  // namespace

int RunNetCommand(std::string_view command, int argc, const char* const argv[], std::FILE* out,
                  std::FILE* err) {
    if (command == "pnml-import") {
        return argc == 3 ? ImportPnml(argv[2], out, err) : kWrongCommandLine;
    }
    SOptions options;
    const bool pnml = command == "pnml";
    if ((!pnml && command != "analyse") || !ReadOptions(argc, argv, options) ||
        (pnml && (!options.question || !options.keyNet))) {
        return kWrongCommandLine;
    }
    std::vector<std::uint8_t> bytes;
    const CFileResult read = ReadInput(options.file, bytes);
    if (!read.IsOk()) {
        return CannotRead(err, options.file, read);
    }
    CPNTestDB database;
    std::string problem;
    const auto test = LoadTest(bytes, database, problem);
    if (test == nullptr) {
        return Fail(err, {NameOf(options.file), ": ", problem});
    }
    return pnml ? ExportPnml(options, *test, out, err) : Analyse(options, *test, out, err);
}

}  // namespace orvane
