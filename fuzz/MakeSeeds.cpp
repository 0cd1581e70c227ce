// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpus of the fuzz targets into the folder given (fuzz/corpus): database
// files made by the model's own store code, protocol transcripts of whole sessions, and
// upload streams. Run it again after a change of the stored formats and commit the result.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "FuzzFixture.h"

using namespace orvane::fuzz;

namespace {

const std::string kSend(1, kSendSeparator);
const std::string kNextSession(1, kSessionSeparator);

std::string Text(const Bytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

std::string Join(const std::vector<std::string>& sends) {
    std::string joined;
    for (const std::string& send : sends) {
        joined += (joined.empty() ? "" : kSend) + send;
    }
    return joined;
}

std::string Auth(std::string_view login, std::string_view password) {
    return "AUTH " + std::string(login) + " " + std::string(password) + "\r\n";
}

const std::string kTeacher = Auth(kTeacherLogin, kTeacherPassword);
const std::string kStudent = Auth(kStudentLogin, kStudentPassword);
const std::string kEnd = "#File sent successfully.\r\n";

std::vector<std::pair<std::string, std::string>> SessionSeeds() {
    return {
        {"teacher-downloads",
         Join({kTeacher, "FILE testdb\r\n", "#OK\r\n", "file userdb\r\n", "#\r\n",
               "FILE zadanie.txt\r\n", "#", "FILE prazdny\r\n", "#", "QUIT\r\n"})},
        {"student-rights",
         Join({kStudent, "FILE userdb\r\n", "FILE quesdb\r\n", "FILE testdb_bla\r\n",
               "FILE testdb\r\n", "wait\r\n", "#go\r\n", "SAVE testdb\r\n", "SAVE userdb\r\n",
               "SAVE odpoved\r\n", "Moja odpoveď\r\n" + kEnd})},
        {"before-login",
         Join({"FILE testdb\r\n", "auth nikto nic\r\n", "AUTH ziak zle\r\n", "QUIT navzdy\r\n",
               "AUTH\r\n", "AUTH a b c\r\n", "SAVE testdb\r\n"})},
        {"refused-names",
         Join({kTeacher, "FILE ../etc/passwd\r\n", "FILE .userdb.1.0.tmp\r\n", "FILE a\\b\r\n",
               "FILE chyba\r\n", "SAVE /tmp/x\r\n", "SAVE .skryty\r\n", "quit"})},
        {"no-regular-files", Join({kStudent, "FILE priecinok\r\n", "FILE rura\r\n",
                                   "SAVE priecinok\r\n", "SAVE rura\r\n", "QUIT"})},
        {"upload-split-marker",
         Join({kStudent, "SAVE riesenie\r\n", "prvý riadok\r\n", "druhý #Fi", "le sent\r\n"})},
        {"upload-abort", Join({kStudent, "SAVE riesenie\r\n", "!File not found\r\n"})},
        {"upload-cut-off", Join({kStudent, "SAVE zadanie.txt\r\n", "len polovica"})},
        {"teacher-replaces-userdb",
         Join({kTeacher, "SAVE userdb\r\n", Text(SampleUserDB(3)), kEnd}) + kNextSession +
             Join({Auth("s1", "pw1"), "FILE testdb\r\n", "#", "QUIT"}) + kNextSession +
             Join({kTeacher, "SAVE quesdb\r\n", Text(SampleTestFile(1)) + kEnd})},
        {"broken-userdb", Join({kTeacher, "SAVE userdb\r\n", "\x02\x00\x00\x00\xff\xff" + kEnd}) +
                              kNextSession + Join({kTeacher, "FILE quesdb\r\n", kStudent})},
    };
}

std::vector<std::pair<std::string, std::string>> ScannerSeeds() {
    return {
        {"whole", "riadok jeden\r\nriadok dva\r\n" + kEnd},
        {"split-marker", "dáta" + kSend + "#Fi" + kSend + "le sent"},
        {"abort", "!File not found\r\n"},
        {"late-abort", std::string(300, 'x') + "!File" + kSend + "koniec #File"},
        {"near-misses", "#Fil" + kSend + "#" + kSend + "File!Fi" + kSend + "x#File"},
    };
}

// A seed that cannot be written ends the run with status 1, so a wrong folder is never taken
// for a fresh corpus.
void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream file(path, std::ios::binary);
    if (error || !(file << bytes) || !file.flush()) {
        std::fprintf(stderr, "fuzz-make-seeds: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz-make-seeds CORPUS-FOLDER\n");
        return 2;
    }
    const std::filesystem::path corpus = argv[1];
    for (int extra : {0, 1, 10}) {
        Write(corpus / "userdb" / ("accounts-" + std::to_string(extra + 2)),
              Text(SampleUserDB(extra)));
    }
    for (int variant : {0, 1, 2, 3}) {
        Write(corpus / "testdb" / ("test-" + std::to_string(variant)),
              Text(SampleTestFile(variant)));
        // The same files, their nets analysed.
        Write(corpus / "analysis" / ("test-" + std::to_string(variant)),
              Text(SampleTestFile(variant)));
    }
    for (const auto& [name, bytes] : SessionSeeds()) {
        Write(corpus / "session" / name, bytes);
    }
    for (const auto& [name, bytes] : ScannerSeeds()) {
        Write(corpus / "upload-scanner" / name, bytes);
    }
    return 0;
}
