// SPDX-License-Identifier: GPL-3.0-or-later
#include "exam/AnswerText.h"

#include "common/TextCodec.h"

namespace orvane {
namespace {

std::u16string Number(std::int64_t value) {
    return FromUtf8(std::to_string(value));
}

// Lines "- <item>" under a heading, or `none` without any.
std::u16string Listed(std::u16string_view heading, const std::u16string& lines,
                      std::u16string_view none) {
    return lines.empty() ? std::u16string(none) : std::u16string(heading) + lines;
}

std::u16string ChosenOptions(const CPNQuestion& question) {
    std::u16string lines;
    for (std::int32_t i = 0; i < question.GetItemCount(); ++i) {
        if (question.GetAnswerFlag(i)) {
            lines += u"\n- " + question.GetItem(i);
        }
    }
    return Listed(u"Vybrané odpovede:", lines, u"Nevybraná žiadna odpoveď.");
}

std::u16string ConnectedPairs(const CPNQuestion& question) {
    std::u16string lines;
    for (std::int32_t i = 0; i < question.GetItemCount(); ++i) {
        const std::int32_t right = question.GetAnswerPair(i);
        if (right >= 0 && right < question.GetItemCount()) {
            lines += u"\n- " + question.GetItem(i) + u" — " + question.GetRightItem(right);
        }
    }
    return Listed(u"Spojené dvojice:", lines, u"Nespojená žiadna dvojica.");
}

std::u16string FilledText(const CPNQuestion& question) {
    std::u16string text;
    for (const std::u16string& item : question.GetItems()) {
        text += (text.empty() ? u"" : u"\n") + item;
    }
    return text.empty() ? u"Nevyplnené." : text;
}

std::u16string NetSummary(const std::shared_ptr<CPNPetriNet>& net) {
    if (net == nullptr || net->IsEmpty()) {
        return u"Sieť je prázdna.";
    }
    std::int64_t places = 0, transitions = 0, arcs = 0, tokens = 0;
    for (bool more = net->First(); more; more = net->Next()) {
        const auto element = net->Current();
        const bool place = element->GetType() == kPlaceType;
        const bool transition = element->GetType() == kTransitionType;
        places += place ? 1 : 0;
        transitions += transition ? 1 : 0;
        tokens += element->GetTokens();
        // An arc led through nodes goes on from each of them: it counts once, at its source.
        arcs += place || transition ? element->GetArcCount() : 0;
    }
    return u"Nakreslená sieť: miesta " + Number(places) + u", prechody " + Number(transitions) +
           u", hrany " + Number(arcs) + u", značky spolu " + Number(tokens) + u".";
}

}  // namespace

std::u16string AnswerText(const CPNQuestion& question) {
    switch (question.GetKind()) {
        case QuestionKind::ChooseAnswers:
            return ChosenOptions(question);
        case QuestionKind::ConnectRelated:
            return ConnectedPairs(question);
        case QuestionKind::FillInAnswer:
            return FilledText(question);
        case QuestionKind::CompleteNet:
        case QuestionKind::DrawNet:
        case QuestionKind::CompleteNetByRequirements:
        case QuestionKind::DrawNetByRequirements:
        case QuestionKind::DrawNetNoCorrection:
            return NetSummary(question.GetWorkNet());
        default:
            return {};
    }
}

}  // namespace orvane
