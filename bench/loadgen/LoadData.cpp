// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoadData.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include <filesystem>
#include <fstream>

#include "archive/Archive.h"
#include "common/AtomicFile.h"
#include "common/ExamFolders.h"
#include "common/FileNames.h"
#include "common/TextCodec.h"
#include "exam/PNTest.h"
#include "petrinet/PNPlace.h"
#include "petrinet/PNTransition.h"
#include "users/PNUserDB.h"

namespace orvane::load {

std::string StudentLogin(std::size_t index) {
    return "ziak" + std::to_string(index);
}

std::string StudentPassword(std::size_t index) {
    return "heslo" + std::to_string(index * 7919 % 100000);
}

std::vector<std::uint8_t> FileContent(std::uint64_t seed, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    for (std::uint8_t& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        byte = static_cast<std::uint8_t>(state >> 24);
        if (byte == '#' || byte == '!') {
            byte = static_cast<std::uint8_t>(byte + 1);
        }
    }
    return bytes;
}

bool PrepareFolder(const std::string& folder, std::size_t accounts, const std::string& name,
                   std::size_t size) {
    CPNUserDB db;
    for (std::size_t i = 1; i < accounts; ++i) {
        db.InsertUser(std::make_shared<CPNUser>(FromUtf8(StudentLogin(i)), u"Žiak",
                                                FromUtf8(StudentPassword(i)), false));
    }
    db.InsertUser(std::make_shared<CPNUser>(FromUtf8(kTeacherLogin), u"Učiteľ",
                                            FromUtf8(kTeacherPassword), true));
    if (!db.Save(FromUtf8(folder + "/" + std::string(kUserDBFile))).IsOk()) {
        std::fprintf(stderr, "loadgen: cannot write %s/userdb\n", folder.c_str());
        return false;
    }
    if (!WriteFileAtomically(folder + "/" + name, FileContent(0, size)).IsOk()) {
        std::perror(("loadgen: cannot write " + folder + "/" + name).c_str());
        return false;
    }
    return true;
}

std::vector<std::uint8_t> StudentTest(const std::string& login, std::int32_t id) {
    constexpr int kQuestions = 30;
    constexpr int kPairs = 30;
    CPNTest test;
    test.SetId(id);
    test.SetLogin(FromUtf8(login));
    for (int q = 1; q <= kQuestions; ++q) {
        auto net = std::make_shared<CPNPetriNet>();
        for (int e = 0; e < kPairs; ++e) {
            auto place = std::make_shared<CPNPlace>(2 * e + 1, 40 * e, 50);
            auto transition = std::make_shared<CPNTransition>(2 * e + 2, 40 * e + 20, 120);
            place->AddArc(transition);
            net->AddElement(place);
            net->AddElement(transition);
        }
        test.AddQuestion(std::make_shared<CPNQuestion>(q, u"Otázka " + FromUtf8(std::to_string(q)),
                                                       u"Nakreslite sieť.", net));
    }
    CArchive stored;
    stored.WriteObject(&test);
    return stored.TakeData();
}

bool PrepareTests(const std::string& folder, std::size_t accounts, const std::string& ftpRoot) {
    std::ofstream users;
    if (!ftpRoot.empty()) {
        std::filesystem::create_directories(ftpRoot + "/" + kTeacherLogin);
        users.open(ftpRoot + ".users");
        users << kTeacherLogin << "\n" << kTeacherPassword << "\n";
    }
    for (std::size_t i = 1; i < accounts; ++i) {
        const std::string login = StudentLogin(i);
        const std::vector<std::uint8_t> test = StudentTest(login, static_cast<std::int32_t>(i));
        const std::string kept = folder + "/" + KeptTestsFolderOf(FromUtf8(login));
        std::filesystem::create_directories(kept);
        bool written =
            WriteFileAtomically(kept + "/20261207T070000.000000Z-test" + std::to_string(i), test)
                .IsOk();
        if (!ftpRoot.empty()) {
            std::filesystem::create_directories(ftpRoot + "/" + login);
            written = written && WriteFileAtomically(
                                     ftpRoot + "/" + login + "/" + std::string(kTestDBFile), test)
                                     .IsOk();
            users << login << "\n" << StudentPassword(i) << "\n";
        }
        if (!written) {
            std::perror(("loadgen: cannot keep the test of " + login).c_str());
            return false;
        }
    }
    return true;
}

CMappedFile::CMappedFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        return;
    }
    size = static_cast<std::size_t>(info.st_size);
    if (size > 0) {
        mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped == MAP_FAILED) {
            mapped = nullptr;
            size = static_cast<std::size_t>(-1);
        }
    }
    ::close(fd);
}

CMappedFile::~CMappedFile() {
    if (mapped != nullptr) {
        ::munmap(mapped, size);
    }
}

}  // namespace orvane::load
