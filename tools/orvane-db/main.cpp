// orvane-db: the database files ("userdb", "testdb", "quesdb") as JSON, both ways.
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "DatabaseFile.h"
#include "common/AtomicFile.h"
#include "common/ConsoleLine.h"
#include "common/FileBytes.h"
#include "common/WriteSignals.h"

namespace {

constexpr const char* kHelp = R"(usage: orvane-db dump FILE
       orvane-db pack IN.json OUT

dump  prints what a "userdb", "testdb" or "quesdb" file holds as one JSON document
      (UTF-8) on standard output. Lists are in the order of the file.
pack  writes the file that Orvane itself writes for a JSON document of the same
      form; OUT is replaced in one step, or left alone on any error. IN.json may
      be "-" for standard input.

Errors are one line on standard error, with exit status 1 (2 for a wrong command line).

Example: write a question pool and look at it again
  orvane-db dump quesdb > pool.json      # or write pool.json by hand:
  {"type": "test", "test": {"login": "", "id": 0, "toBeWorkedOut": true, "timeLimit": 0,
   "questions": [{"kind": 2006, "id": 1, "title": "Semafor", "text": "Nakreslite...",
                  "points": 5, "workNet": {"elements": [], "arcs": []}, "keyNet": null}]}}
  orvane-db pack pool.json quesdb
)";

int Fail(const std::string& message) {
    std::cerr << "orvane-db: " << message << '\n';
    return 1;
}

int Dump(const std::string& file) {
    std::vector<std::uint8_t> bytes;
    const orvane::CFileResult read = orvane::ReadFileBytes(file, bytes);
    if (!read.IsOk()) {
        return Fail(file + ": cannot read the file: " + read.Reason());
    }
    try {
        std::cout << orvane::DumpDatabaseFile(bytes).dump(2) << '\n';
    } catch (const std::exception& error) {
        return Fail(file + ": " + error.what());
    }
    return std::cout.flush() ? 0 : Fail("cannot write to standard output");
}

int Pack(const std::string& in, const std::string& out) {
    std::string text;
    if (in == "-") {
        std::ostringstream buffer;
        buffer << std::cin.rdbuf();
        text = buffer.str();
    } else {
        std::vector<std::uint8_t> bytes;
        const orvane::CFileResult read = orvane::ReadFileBytes(in, bytes);
        if (!read.IsOk()) {
            return Fail(in + ": cannot read the file: " + read.Reason());
        }
        text.assign(bytes.begin(), bytes.end());
    }
    std::vector<std::uint8_t> archive;
    try {
        archive = orvane::PackDatabaseDocument(orvane::Json::parse(text));
    } catch (const std::exception& error) {
        return Fail(in + ": " + error.what());
    }
    const orvane::CFileResult written = orvane::WriteFileAtomically(out, archive);
    if (!written.IsOk()) {
        return Fail(out + ": cannot write the file: " + written.Reason());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    orvane::IgnoreWriteSignals();
    // Console lines of the loaders (a skipped account) must not mix with the JSON.
    orvane::SetConsoleStream(stderr);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "--help" || command == "-h") {
        std::cout << kHelp;
        return 0;
    }
    if (command == "dump" && argc == 3) {
        return Dump(argv[2]);
    }
    if (command == "pack" && argc == 4) {
        return Pack(argv[2], argv[3]);
    }
    std::cerr << kHelp;
    return 2;
}
