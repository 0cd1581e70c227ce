// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/Similarity.h"

#include <map>
#include <tuple>

#include "analysis/NetStructure.h"
#include "analysis/StructuralMatch.h"

namespace orvane {
namespace {

struct SDrawn {
    std::u16string login;
    CNetStructure net;
};

// What two structurally equal nets always share, so that only nets with the same key are
// matched one against the other.
using NetKey = std::tuple<std::size_t, std::size_t, std::size_t, std::int64_t>;

NetKey KeyOf(const CNetStructure& net) {
    std::int64_t tokens = 0;
    for (const auto& place : net.Places()) {
        tokens += place.tokens;
    }
    return {net.Places().size(), net.Transitions().size(), net.ConnectionCount(), tokens};
}

// Groups the nets drawn for one question into classes of structurally equal nets.
void GroupNets(std::int32_t id, const std::u16string& title, std::vector<SDrawn>& drawn,
               std::vector<SSimilarGroup>& groups) {
    std::map<NetKey, std::vector<std::vector<const SDrawn*>>> classes;
    for (const SDrawn& net : drawn) {
        auto& alike = classes[KeyOf(net.net)];
        bool placed = false;
        for (auto& members : alike) {
            if (CStructuralMatch(members.front()->net, net.net).Difference() ==
                StructuralDifference::None) {
                members.push_back(&net);
                placed = true;
                break;
            }
        }
        if (!placed) {
            alike.push_back({&net});
        }
    }
    for (const auto& [key, alike] : classes) {
        for (const auto& members : alike) {
            if (members.size() > 1) {
                SSimilarGroup group{id, title, u"rovnaká sieť", {}};
                for (const SDrawn* member : members) {
                    group.logins.push_back(member->login);
                }
                groups.push_back(std::move(group));
            }
        }
    }
}

}  // namespace

std::vector<SSimilarGroup> SimilarSubmissions(const std::vector<SStudentResult>& students) {
    std::map<std::pair<std::int32_t, std::u16string>, std::vector<std::u16string>> answers;
    std::map<std::int32_t, std::vector<SDrawn>> nets;
    std::map<std::int32_t, std::u16string> titles;
    for (const SStudentResult& student : students) {
        const SSubmission* latest = student.Latest();
        if (latest == nullptr || !latest->matches || student.test == nullptr) {
            continue;
        }
        for (const auto& question : student.test->Questions()) {
            titles.emplace(question->GetId(), question->GetTitle());
        }
        for (const SQuestionScore& score : latest->scores) {
            if (!score.wrongAnswer.empty()) {
                answers[{score.questionId, score.wrongAnswer}].push_back(student.login);
            } else if (score.netDiffers && score.drawnNet != nullptr &&
                       !score.drawnNet->IsEmpty()) {
                nets[score.questionId].push_back(
                    {student.login, CNetStructure::FromDrawing(*score.drawnNet)});
            }
        }
    }
    std::vector<SSimilarGroup> groups;
    for (const auto& [key, logins] : answers) {
        if (logins.size() > 1) {
            groups.push_back({key.first, titles[key.first], key.second, logins});
        }
    }
    for (auto& [id, drawn] : nets) {
        GroupNets(id, titles[id], drawn, groups);
    }
    return groups;
}

}  // namespace orvane
