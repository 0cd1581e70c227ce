// SPDX-License-Identifier: GPL-3.0-or-later
// make-startup-files FOLDER [ACCOUNTS] [QUESTIONS]: writes a large "userdb" (a teacher "ucitel"
// with the password "heslo", the rest students) and a "testdb" whose questions each carry a
// net of 100 elements, with the program's own store code, for timing the program's start.
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "RingNet.h"
#include "common/FileNames.h"
#include "exam/PNQuestion.h"
#include "exam/PNTestDB.h"
#include "users/PNUserDB.h"

namespace {

using namespace orvane;

std::u16string Text(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

void WriteUsers(int accounts) {
    CPNUserDB database;
    database.AddUser(u"ucitel", u"Učiteľ Predvolený", u"heslo", u"heslo", true, u"", u"");
    for (int i = 1; i < accounts; ++i) {
        database.AddStudent(Text("student" + std::to_string(i)),
                            u"Študent Číslo " + Text(std::to_string(i)), u"ucitel", u"heslo");
    }
    if (!database.Save(std::u16string(kUserDBName)).IsOk()) {
        std::fprintf(stderr, "make-startup-files: cannot write userdb\n");
        std::exit(1);
    }
}

void WriteTests(int questions) {
    auto test = std::make_shared<CPNTest>();
    test->SetLogin(u"student1");
    for (int id = 0; id < questions; ++id) {
        test->AddQuestion(std::make_shared<CPNQuestion>(id, u"Otázka " + Text(std::to_string(id)),
                                                        u"Dokončite sieť podľa zadania.",
                                                        bench::RingNet(), bench::RingNet()));
    }
    CPNTestDB database;
    database.AddTest(test);
    database.First();
    if (!database.Save(std::u16string(kTestDBName)).IsOk()) {
        std::fprintf(stderr, "make-startup-files: cannot write testdb\n");
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: make-startup-files FOLDER [ACCOUNTS] [QUESTIONS]\n");
        return 2;
    }
    WriteUsers(argc > 2 ? std::atoi(argv[2]) : 10000);
    WriteTests(argc > 3 ? std::atoi(argv[3]) : 1000);
    return 0;
}
