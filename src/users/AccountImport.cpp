// SPDX-License-Identifier: GPL-3.0-or-later
#include "users/AccountImport.h"

#include <algorithm>
#include <optional>

#include "common/TextSets.h"
#include "users/PNUserDB.h"

namespace orvane {
namespace {

// What spreadsheets of teachers put in the teacher column, compared after Folded.
constexpr std::array<std::u16string_view, 12> kTeacherMarks = {
    u"1",   u"a",    u"áno", u"ano",    u"x",      u"y",
    u"yes", u"true", u"u",   u"učiteľ", u"ucitel", u"teacher"};
constexpr std::array<std::u16string_view, 11> kStudentMarks = {
    u"", u"0", u"n", u"nie", u"no", u"false", u"š", u"študent", u"student", u"žiak", u"ziak"};
// First fields that make the first line a header.
constexpr std::array<std::u16string_view, 7> kLoginHeadings = {
    u"login",   u"prihlasovacie meno", u"prihlasovacie_meno", u"používateľ", u"pouzivatel", u"user",
    u"username"};

// Lower case for ASCII and the Latin letters of Slovak and its neighbours.
std::u16string Folded(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text) {
        if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
            c += 0x20;
        } else if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
            c |= 1;  // capitals at even code points
        } else if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && c % 2 == 1) {
            ++c;  // capitals at odd code points
        }
        out += c;
    }
    return out;
}

bool HasSpace(std::u16string_view text) {
    return std::any_of(text.begin(), text.end(), [](char16_t c) {
        return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\r' || c == u'\n';
    });
}

// Line breaks and tabs stand in quoted fields of real tables; other control characters, and
// the replacement of bytes that Windows-1250 leaves undefined, come only from binary files.
bool IsControl(char16_t c) {
    const bool textBreak = c == u'\t' || c == u'\n' || c == u'\r';
    return (c < 0x20 && !textBreak) || (c >= 0x7F && c <= 0x9F) || c >= 0xFFFD;
}

int FirstNotTextLine(const std::vector<CAccountTable::Record>& records) {
    for (const CAccountTable::Record& record : records) {
        for (const std::u16string& field : record.fields) {
            if (std::any_of(field.begin(), field.end(), IsControl)) {
                return record.line;
            }
        }
    }
    return 0;
}

std::u16string Field(const CAccountTable::Record& record, std::size_t index) {
    return index < record.fields.size() ? record.fields[index] : std::u16string();
}

}  // namespace

CAccountImport::CAccountImport(const CAccountTable& table, CPNUserDB& users) {
    const auto& records = table.GetRecords();
    notTextLine = FirstNotTextLine(records);
    if (notTextLine != 0) {
        return;
    }
    header = !records.empty() && IsOneOf(Folded(Field(records.front(), 0)), kLoginHeadings);
    for (std::size_t i = header ? 1 : 0; i < records.size(); ++i) {
        Check(records[i], users);
    }
}

void CAccountImport::Check(const CAccountTable::Record& record, CPNUserDB& users) {
    ListedAccount account{record.line, Field(record, 0), Field(record, 1), Field(record, 2), false};
    const std::u16string mark = Folded(Field(record, 3));
    const auto earlier = std::find_if(seen.begin(), seen.end(),
                                      [&](const auto& met) { return met.first == account.login; });
    std::optional<Refusal> reason;
    if (account.login.empty()) {
        reason = Refusal::EmptyLogin;
    } else if (HasSpace(account.login)) {
        reason = Refusal::SpaceInLogin;
    } else if (users.FindLogin(account.login)) {
        reason = Refusal::LoginExists;
    } else if (earlier != seen.end()) {
        reason = Refusal::LoginRepeated;
    } else if (HasSpace(account.password)) {
        reason = Refusal::SpaceInPassword;
    } else if (!IsOneOf(mark, kTeacherMarks) && !IsOneOf(mark, kStudentMarks)) {
        reason = Refusal::UnknownTeacherMark;
    }
    if (reason) {
        const bool repeated = *reason == Refusal::LoginRepeated;
        refused.push_back({record.line, *reason, account.login, repeated ? earlier->second : 0});
    }
    if (!account.login.empty() && earlier == seen.end()) {
        seen.emplace_back(account.login, record.line);
    }
    if (!reason) {
        account.teacher = IsOneOf(mark, kTeacherMarks);
        accounts.push_back(std::move(account));
    }
}

int CAccountImport::GetTeacherCount() const {
    return static_cast<int>(
        std::count_if(accounts.begin(), accounts.end(),
                      [](const ListedAccount& account) { return account.teacher; }));
}

int CAccountImport::GetGeneratedPasswordCount() const {
    return static_cast<int>(
        std::count_if(accounts.begin(), accounts.end(),
                      [](const ListedAccount& account) { return account.password.empty(); }));
}

int CAccountImport::Apply(CPNUserDB& users, const std::u16string& rightsLogin,
                          const std::u16string& rightsPassword) const {
    if (!users.HasTeacherRights(rightsLogin, rightsPassword)) {
        return 0;
    }
    int added = 0;
    for (const ListedAccount& account : accounts) {
        const std::u16string password =
            account.password.empty() ? CPNUserDB::GeneratePassword() : account.password;
        added += !password.empty() && users.AddUser(account.login, account.name, password, password,
                                                    account.teacher, rightsLogin, rightsPassword)
                     ? 1
                     : 0;
    }
    return added;
}

}  // namespace orvane
