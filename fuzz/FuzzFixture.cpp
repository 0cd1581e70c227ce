// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzFixture.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "archive/Archive.h"
#include "archive/ArchiveError.h"
#include "common/ConsoleLine.h"
#include "common/TextCodec.h"
#include "exam/PNTestDB.h"
#include "petrinet/PNLabel.h"
#include "users/PNUserDB.h"

namespace orvane::fuzz {
namespace {

Bytes Store(CObject& object) {
    CArchive archive;
    object.Serialize(archive);
    return archive.TakeData();
}

// Places, transitions and nodes in a ring with arcs both ways, every kind labelled or not.
std::shared_ptr<CPNPetriNet> SampleNet(int elements) {
    auto net = std::make_shared<CPNPetriNet>();
    for (int id = 1; id <= elements; ++id) {
        switch (id % 3) {
            case 0:
                net->AddPlace(id, 40 * id, 20);
                break;
            case 1:
                net->AddTransition(id, 40 * id, 80);
                break;
            default:
                net->AddNode(id, 40 * id, 140, id % 2 == 0);
                break;
        }
    }
    for (int id = 1; id <= elements; ++id) {
        net->FindById(id % elements + 1);
        const auto target = net->Current();
        net->FindById(id);
        net->Current()->AddArc(target);
        net->Current()->SetArcWeight(id);
        if (net->Current()->GetLabel() != nullptr) {
            net->Current()->GetLabel()->SetText(u"Prvok č. " + FromUtf8(std::to_string(id)));
        }
    }
    return net;
}

std::vector<std::shared_ptr<CPNQuestion>> SampleQuestions(int netSize) {
    CPNQuestion::Requirements asked{};
    asked[0] = {true, 3};
    asked[2] = {true, 1};
    asked[5] = {false, 1};
    return {
        std::make_shared<CPNQuestion>(0),
        std::make_shared<CPNQuestion>(1, u"Živosť", u"Ktoré siete sú živé?", 3,
                                      std::vector<std::u16string>{u"Sieť A", u"Sieť B", u"Žiadna"},
                                      std::vector<bool>{true, false, false}, SampleNet(netSize)),
        std::make_shared<CPNQuestion>(
            2, u"Spoj", u"Spojte súvisiace pojmy", 2, std::vector<std::u16string>{u"l1", u"l2"},
            std::vector<std::u16string>{u"p1", u"p2"}, std::vector<std::int32_t>{1, 0}, nullptr),
        std::make_shared<CPNQuestion>(3, u"Dokončite", u"Dokončite sieť", SampleNet(netSize),
                                      SampleNet(netSize + 1)),
        std::make_shared<CPNQuestion>(4, u"Požiadavky", u"Upravte sieť", SampleNet(netSize), asked),
        std::make_shared<CPNQuestion>(5, u"Semafor", u"Nakreslite sieť", SampleNet(netSize)),
        std::make_shared<CPNQuestion>(6, u"Podľa požiadaviek", u"Nakreslite sieť", asked),
        std::make_shared<CPNQuestion>(7, u"Voľne", u"Bez opravy"),
    };
}

}  // namespace

Bytes SampleUserDB(int extra) {
    CPNUserDB db;
    db.InsertUser(std::make_shared<CPNUser>(FromUtf8(kTeacherLogin), u"Učiteľ Hlavný",
                                            FromUtf8(kTeacherPassword), true));
    db.InsertUser(std::make_shared<CPNUser>(FromUtf8(kStudentLogin), u"Žiak Prvý",
                                            FromUtf8(kStudentPassword), false));
    for (int i = 0; i < extra; ++i) {
        const std::u16string number = FromUtf8(std::to_string(i));
        db.InsertUser(std::make_shared<CPNUser>(u"s" + number, u"Študent " + number, u"pw" + number,
                                                i % 5 == 4));
    }
    return Store(db);
}

Bytes SampleTestFile(int variant) {
    auto test = std::make_shared<CPNTest>();
    test->SetId(variant);
    test->SetLogin(variant == 0 ? u"" : FromUtf8(kStudentLogin));
    test->SetTimeLimit(45 * 60 * variant);
    const auto questions = SampleQuestions(2 + 3 * variant);
    for (std::size_t i = 0; i < questions.size() && i <= static_cast<std::size_t>(2 * variant);
         ++i) {
        test->AddQuestion(questions[i]);
    }
    CPNTestDB db;
    db.AddTest(test);
    db.First();
    return Store(db);
}

Bytes SampleText(std::size_t size) {
    Bytes text(size);
    for (std::size_t i = 0; i < size; ++i) {
        text[i] = static_cast<std::uint8_t>(i % 64 == 63 ? '\n' : 'a' + i % 26);
    }
    return text;
}

std::vector<std::string_view> SplitAt(std::string_view input, char separator,
                                      std::size_t maxParts) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < maxParts) {
        const std::size_t at = input.find(separator);
        if (at == std::string_view::npos) {
            break;
        }
        parts.push_back(input.substr(0, at));
        input.remove_prefix(at + 1);
    }
    parts.push_back(input);
    return parts;
}

template <class Database>
std::unique_ptr<Database> LoadWithStableReloads(std::span<const std::uint8_t> bytes,
                                                const char* what) {
    const auto load = [](std::span<const std::uint8_t> from) {
        auto database = std::make_unique<Database>();
        CArchive archive(from);
        database->Serialize(archive);
        database->First();  // a test file stores the test under the cursor
        return database;
    };
    std::unique_ptr<Database> database;
    try {
        database = load(bytes);
    } catch (const ArchiveError&) {
        return nullptr;
    }
    const Bytes once = Store(*database);
    const Bytes twice = Store(*load(once));
    Require(Store(*load(twice)) == once, what);
    return database;
}

template std::unique_ptr<CPNUserDB> LoadWithStableReloads(std::span<const std::uint8_t>,
                                                          const char*);
template std::unique_ptr<CPNTestDB> LoadWithStableReloads(std::span<const std::uint8_t>,
                                                          const char*);

void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

void SilenceConsoleLines() {
    static std::FILE* nowhere = std::fopen("/dev/null", "w");
    SetConsoleStream(nowhere);
}

}  // namespace orvane::fuzz
