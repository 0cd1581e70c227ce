// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/ResultsCsv.h"

#include <ctime>

#include "common/TextCodec.h"

namespace orvane {
namespace {

std::string Field(const std::u16string& text) {
    std::string field = ToUtf8(text);
    if (field.find_first_of(";\"\r\n") == std::string::npos) {
        return field;
    }
    std::string quoted = "\"";
    for (const char c : field) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

}  // namespace

std::u16string KeptTimeText(KeptTime time) {
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(time));
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[40];
    std::strftime(text, sizeof text, "%-d.%-m.%Y %H:%M", &local);
    return FromUtf8(text);
}

std::string ResultsCsv(const SResultsTable& table) {
    std::string csv = "\xEF\xBB\xBF";
    std::vector<std::u16string> head = {u"Login", u"Meno", u"Odovzdané"};
    for (std::size_t i = 0; i < table.questionColumns; ++i) {
        head.push_back(u"Otázka " + NumberText(static_cast<std::int64_t>(i + 1)));
    }
    for (const char16_t* title : {u"Spolu", u"Maximum", u"Percento", u"Stav"}) {
        head.emplace_back(title);
    }
    const auto line = [&csv](const std::vector<std::u16string>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            csv += (i == 0 ? "" : ";") + Field(fields[i]);
        }
        csv += "\r\n";
    };
    line(head);
    for (const SStudentResult& student : table.students) {
        const SSubmission* latest = student.Latest();
        std::vector<std::u16string> row = {student.login, student.name,
                                           latest != nullptr ? KeptTimeText(latest->time) : u""};
        for (std::size_t i = 0; i < table.questionColumns; ++i) {
            row.push_back(i < student.points.size() ? PointsText(student.points[i].points) : u"");
        }
        row.push_back(latest != nullptr ? PointsText(student.total) : u"");
        row.push_back(PointsText(student.maxTotal));
        row.push_back(latest != nullptr ? PointsText(student.Percent()) : u"");
        row.push_back(StateText(student.state));
        line(row);
    }
    return csv;
}

}  // namespace orvane
