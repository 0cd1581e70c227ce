// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/Decisions.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "common/AtomicFile.h"
#include "common/ExamFolders.h"
#include "common/FileBytes.h"
#include "common/TextCodec.h"
#include "results/ExamRuns.h"

namespace orvane {
namespace {

constexpr std::string_view kHeader = "orvane decisions 1";

// A note stays on one line: tab, line break, carriage return and backslash are escaped.
std::string Escaped(std::u16string_view note) {
    std::string text;
    for (const char c : ToUtf8(note)) {
        switch (c) {
            case '\\': text += "\\\\"; break;
            case '\t': text += "\\t"; break;
            case '\n': text += "\\n"; break;
            case '\r': text += "\\r"; break;
            default: text += c;
        }
    }
    return text;
}

std::u16string Unescaped(std::string_view text) {
    std::string note;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            note += text[i];
            continue;
        }
        const char next = text[++i];
        note += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return FromUtf8(note);
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t from = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos;
         tab = line.find('\t', from)) {
        fields.push_back(line.substr(from, tab - from));
        from = tab + 1;
    }
    fields.push_back(line.substr(from));
    return fields;
}

template <class T>
bool ReadNumber(std::string_view text, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

void ReadLine(std::string_view line, Decisions& decisions) {
    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() == 2 && fields[0] == "accepted") {
        decisions[std::string(fields[1])].accepted = true;
        return;
    }
    std::int32_t id = 0;
    double points = 0;
    if (fields.size() == 5 && fields[0] == "points" && ReadNumber(fields[2], id) &&
        ReadNumber(fields[3], points) && std::isfinite(points)) {
        decisions[std::string(fields[1])].questions[id] = {points, Unescaped(fields[4])};
    }
}

}  // namespace

std::string DecisionsPathOf(std::u16string_view login, const std::string& root) {
    return InWorkingFolder(root, std::string(kDecisionsFolder) + "/" + LoginFileName(login));
}

std::string DecisionsText(const Decisions& decisions) {
    std::string text(kHeader);
    text += '\n';
    for (const auto& [name, decision] : decisions) {
        if (decision.accepted) {
            text += "accepted\t" + name + "\n";
        }
        for (const auto& [id, question] : decision.questions) {
            char points[40];
            std::snprintf(points, sizeof points, "%.10g", question.points);
            text += "points\t" + name + "\t" + std::to_string(id) + "\t" + points + "\t" +
                    Escaped(question.note) + "\n";
        }
    }
    return text;
}

Decisions ParseDecisions(std::string_view text) {
    Decisions decisions;
    if (!text.starts_with(kHeader)) {
        return decisions;
    }
    std::size_t from = text.find('\n');
    while (from != std::string_view::npos && from + 1 < text.size()) {
        const std::size_t end = text.find('\n', from + 1);
        ReadLine(text.substr(from + 1, end == std::string_view::npos ? end : end - from - 1),
                 decisions);
        from = end;
    }
    return decisions;
}

Decisions LoadDecisions(std::u16string_view login, CFileResult& result, const std::string& root) {
    std::vector<std::uint8_t> bytes;
    result = ReadFileBytes(DecisionsPathOf(login, root), bytes);
    if (result.IsMissing()) {
        result = {};
        return {};
    }
    if (!result.IsOk()) {
        return {};
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!text.starts_with(kHeader)) {
        result = CFileResult::Malformed("not a decisions file");
    }
    return ParseDecisions(text);
}

CFileResult SaveDecisions(std::u16string_view login, const Decisions& decisions,
                          const std::string& root) {
    const std::string path = DecisionsPathOf(login, root);
    if (CFileResult made = MakePrivateFolder(path.substr(0, path.rfind('/'))); !made.IsOk()) {
        return made;
    }
    const std::string text = DecisionsText(decisions);
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return WriteFileAtomically(path, bytes, kPrivateFileMode);
}

}  // namespace orvane
