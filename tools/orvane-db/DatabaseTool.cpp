// SPDX-License-Identifier: GPL-3.0-or-later
#include "DatabaseTool.h"

#include <unistd.h>

#include <forward_list>
#include <initializer_list>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "DatabaseFile.h"
#include "LinkTarget.h"
#include "NetCommands.h"
#include "ResultsCommand.h"
#include "ToolLines.h"
#include "common/AtomicFile.h"
#include "common/ConsoleLine.h"
#include "common/FileBytes.h"

namespace orvane {
namespace {

constexpr const char* kHelp = R"(usage: orvane-db dump FILE
       orvane-db pack IN.json OUT
       orvane-db analyse FILE [--question ID] [--net work|key] [--states N]
       orvane-db pnml FILE --question ID --net work|key
       orvane-db pnml-import NET.pnml
       orvane-db results FOLDER [--csv] [--run NAME]
       orvane-db --help | --version

dump  prints what a "userdb", "testdb" or "quesdb" file holds as one JSON document
      (UTF-8) on standard output. Lists are in the order of the file. FILE may be
      "-" for standard input. A file whose JSON would take more than 32 bytes for
      each of its bytes (plus 4 KiB) is refused: only a file that refers back to the
      same objects over and over comes near that, and it could fill gigabytes.
pack  writes the file that Orvane itself writes for a JSON document of the same
      form; OUT is replaced in one step, or left alone on any error. A new user
      database gets mode 0600 (it holds passwords). When OUT is a symbolic link,
      the link stays and the file it points to is replaced (or made). IN.json may
      be "-" for standard input, OUT "-" for standard output. Every account needs
      its "login" and "password" ("" for an empty password).
analyse  prints, for every question of a test file ("testdb", "quesdb", a kept
      test or a submission), the analysis of its work net and solution net as
      JSON, and for a question with both, their comparison: states and edges
      (exact or cut by the limit of N states, 1000000 by default), bounded,
      safe, deadlock with a shortest firing sequence, dead and live
      transitions, reversible, P- and T-invariants, drawing faults, and the
      Slovak lines the window shows. --question and --net choose one of them.
pnml  prints one net of a question as a PNML place/transition net.
pnml-import  prints the net of a PNML file as the JSON that "pack" takes for a
      question's "workNet" or "keyNet"; what it skips goes to standard error.
results  prints the results of the newest exam (or of the run NAME) in the
      working folder FOLDER as JSON, or with --csv as the window's CSV export:
      per student the latest submission scored against the test kept for the
      student, the teacher's decisions, the total and the state.
--version  prints "orvane-db" and the version of Orvane.

Exit status 0 on success. Errors, running out of memory included, are one line on
standard error ("orvane-db: ..."), with exit status 1; a wrong command line is 2.

Example: write a question pool and look at it again
  orvane-db dump quesdb > pool.json      # or write pool.json by hand:
  {"type": "test", "test": {"login": "", "id": 0, "toBeWorkedOut": true, "timeLimit": 0,
   "questions": [{"kind": 2006, "id": 1, "title": "Semafor", "text": "Nakreslite...",
                  "points": 5, "workNet": {"elements": [], "arcs": []}, "keyNet": null}]}}
  orvane-db pack pool.json quesdb
)";

int Dump(const std::string& file, std::FILE* out, std::FILE* err) {
    std::vector<std::uint8_t> bytes;
    const CFileResult read = ReadInput(file, bytes);
    if (!read.IsOk()) {
        return CannotRead(err, file, read);
    }
    try {
        DumpDatabaseFile(bytes, out);
    } catch (const DatabaseFileError& error) {
        return Fail(err, {NameOf(file), ": ", error.what()});
    }
    return FlushOutput(out, err);
}

// The document is never freed: freeing a document takes memory of its own (the JSON library
// takes it apart on a stack that it allocates), and a destructor that finds no memory ends
// the process with an abort. It stays reachable, so leak checkers see no leak, until the
// process ends right after the pack.
const Json& ParseDocument(std::span<const std::uint8_t> text) {
    static auto* const kept = new std::forward_list<Json>;
    Json& document = kept->emplace_front();
    nlohmann::detail::json_sax_dom_parser<Json> builder(document);
    Json::sax_parse(text.begin(), text.end(), &builder);
    return document;
}

int WriteOutput(const std::string& path, const PackedFile& packed, std::FILE* out, std::FILE* err) {
    if (path == kStandardStream) {
        std::fwrite(packed.bytes.data(), 1, packed.bytes.size(), out);
        return FlushOutput(out, err);
    }
    std::string target;
    CFileResult written = ResolveLinks(path, target);
    if (written.IsOk()) {
        written = WriteFileAtomically(target, packed.bytes, packed.newFileMode);
    }
    if (!written.IsOk()) {
        const std::string reason = written.Reason();
        return Fail(err, {path, ": cannot write the file: ", reason});
    }
    return 0;
}

int Pack(const std::string& in, const std::string& outPath, std::FILE* out, std::FILE* err) {
    std::vector<std::uint8_t> text;
    const CFileResult read = ReadInput(in, text);
    if (!read.IsOk()) {
        return CannotRead(err, in, read);
    }
    PackedFile packed;
    try {
        packed = PackDatabaseDocument(ParseDocument(text));
    } catch (const Json::exception& error) {
        return Fail(err, {NameOf(in), ": ", error.what()});
    } catch (const JsonShapeError& error) {
        return Fail(err, {NameOf(in), ": ", error.what()});
    }
    return WriteOutput(outPath, packed, out, err);
}

int Run(int argc, const char* const argv[], std::FILE* out, std::FILE* err) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "--help" || command == "-h") {
        std::fputs(kHelp, out);
        return 0;
    }
    if (command == "--version") {
        std::fputs("orvane-db " ORVANE_VERSION "\n", out);
        return 0;
    }
    if (command == "dump" && argc == 3) {
        return Dump(argv[2], out, err);
    }
    if (command == "pack" && argc == 4) {
        return Pack(argv[2], argv[3], out, err);
    }
    const int status = command == "results" ? RunResultsCommand(argc, argv, out, err)
                                            : RunNetCommand(command, argc, argv, out, err);
    if (status != kWrongCommandLine) {
        return status;
    }
    std::fputs(kHelp, err);
    return 2;
}

}  // namespace

int RunDatabaseTool(int argc, const char* const argv[], std::FILE* out, std::FILE* err) {
    // Console lines of the loaders (a skipped account) must not mix with the JSON.
    SetConsoleStream(err);
    int status = 1;
    try {
        status = Run(argc, argv, out, err);
    } catch (const std::bad_alloc&) {
        status = Fail(err, {argc > 2 ? NameOf(argv[2]) : "orvane-db", ": out of memory"});
    } catch (const std::exception& error) {
        status = Fail(err, {argc > 2 ? NameOf(argv[2]) : "orvane-db", ": ", error.what()});
    }
    SetConsoleStream(nullptr);
    return status;
}

}  // namespace orvane
