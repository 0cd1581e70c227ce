// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/PropertyText.h"

#include <algorithm>

#include "common/TextCodec.h"

namespace orvane {
namespace {

std::u16string Number(std::int64_t value) {
    return FromUtf8(std::to_string(value));
}

// "1 stav", "3 stavy", "5 stavov": Slovak takes the second form for 2 to 4.
std::u16string Counted(std::uint64_t count, std::u16string_view one, std::u16string_view few,
                       std::u16string_view many) {
    const std::u16string_view form = count == 1 ? one : (count >= 2 && count <= 4 ? few : many);
    return Number(static_cast<std::int64_t>(count)) + u" " + std::u16string(form);
}

std::u16string Tokens(std::uint64_t count) {
    return Counted(count, u"značka", u"značky", u"značiek");
}

std::u16string Graph(const SNetAnalysis& analysis) {
    const std::u16string edges = Counted(analysis.edges, u"hrana", u"hrany", u"hrán");
    if (analysis.IsExact()) {
        return analysis.coverability
                   ? u"graf pokrytia (ω): " + Counted(analysis.states, u"uzol", u"uzly", u"uzlov") +
                         u", " + edges
                   : u"graf dosiahnuteľnosti: " +
                         Counted(analysis.states, u"stav", u"stavy", u"stavov") + u", " + edges;
    }
    std::u16string why;
    switch (analysis.end) {
        case ExploreEnd::StateLimit:
            why = u"limit " + Number(analysis.stateLimit) + u" stavov";
            break;
        case ExploreEnd::MemoryLimit:
            why = u"limit pamäti";
            break;
        case ExploreEnd::TokenLimit:
            why = u"priveľa značiek v mieste";
            break;
        default:
            why = u"prerušené";
    }
    return u"prehľadávanie zastavené (" + why + u") po " + Number(analysis.states) +
           u" stavoch; výsledky sú neúplné";
}

std::vector<std::u16string> Names(const SNetAnalysis& analysis,
                                  const std::vector<Verdict>& verdicts, Verdict wanted) {
    std::vector<std::u16string> names;
    for (std::size_t t = 0; t < verdicts.size(); ++t) {
        if (verdicts[t] == wanted) {
            names.push_back(analysis.net.Transitions()[t].name);
        }
    }
    return names;
}

std::u16string Boundedness(const SNetAnalysis& analysis) {
    if (analysis.bounded == Verdict::No) {
        std::vector<std::u16string> open;
        for (std::size_t p = 0; p < analysis.bounds.size(); ++p) {
            if (analysis.bounds[p] == CMarkingLayout::kOmega) {
                open.push_back(analysis.net.Places()[p].name);
            }
        }
        return u"neohraničená (bez hranice: " + Joined(open, u", ") + u")";
    }
    if (analysis.bounded == Verdict::Unknown) {
        return u"ohraničenosť nezistená";
    }
    const std::uint32_t most =
        analysis.bounds.empty() ? 0
                                : *std::max_element(analysis.bounds.begin(), analysis.bounds.end());
    return analysis.IsExact() ? u"ohraničená (najviac " + Tokens(most) + u" v mieste)"
                              : u"ohraničená (podľa P-invariantov)";
}

std::u16string Said(Verdict verdict, std::u16string_view yes, std::u16string_view no,
                    std::u16string_view unknown) {
    return std::u16string(verdict == Verdict::Yes ? yes : (verdict == Verdict::No ? no : unknown));
}

std::u16string Deadlock(const SNetAnalysis& analysis) {
    if (analysis.deadlock != Verdict::Yes) {
        return Said(analysis.deadlock, u"", u"bez uviaznutia", u"uviaznutie nezistené");
    }
    if (analysis.deadlockPath.empty()) {
        return u"uviaznutie hneď v počiatočnom stave";
    }
    std::vector<std::u16string> names;
    for (const std::uint32_t t : analysis.deadlockPath) {
        names.push_back(analysis.net.Transitions()[t].name);
    }
    return u"uviaznutie po: " + Joined(names, u" ");
}

std::u16string Liveness(const SNetAnalysis& analysis) {
    const auto live = Names(analysis, analysis.live, Verdict::Yes);
    const auto unknown = Names(analysis, analysis.live, Verdict::Unknown);
    if (!unknown.empty()) {
        return live.empty() ? u"živosť nezistená" : u"živé prechody: " + Joined(live, u", ");
    }
    if (live.empty()) {
        return u"žiadny živý prechod";
    }
    return live.size() == analysis.live.size() ? u"živá (všetky prechody sú živé)"
                                               : u"živé prechody: " + Joined(live, u", ");
}

std::u16string Invariants(const SNetAnalysis& analysis, bool places) {
    const auto& found = places ? analysis.placeInvariants : analysis.transitionInvariants;
    const bool complete =
        places ? analysis.placeInvariantsComplete : analysis.transitionInvariantsComplete;
    const std::u16string head = places ? u"P-invarianty: " : u"T-invarianty: ";
    if (!complete) {
        return head + u"priveľa na výpočet";
    }
    std::vector<std::u16string> sums;
    for (const auto& invariant : found) {
        std::vector<std::u16string> terms;
        for (const auto& [index, factor] : invariant) {
            const auto& name =
                places ? analysis.net.Places()[index].name : analysis.net.Transitions()[index].name;
            terms.push_back(factor == 1 ? name : Number(factor) + u"·" + name);
        }
        sums.push_back(Joined(terms, u" + "));
    }
    return head + (sums.empty() ? u"žiadne" : Joined(sums, u"; "));
}

}  // namespace

std::u16string Joined(const std::vector<std::u16string>& names, std::u16string_view separator) {
    std::u16string text;
    for (const auto& name : names) {
        text += (text.empty() ? u"" : std::u16string(separator)) + name;
    }
    return text;
}

std::vector<std::u16string> PropertyLines(const SNetAnalysis& analysis) {
    std::vector<std::u16string> lines{
        Graph(analysis),
        Boundedness(analysis),
        Said(analysis.safe, u"bezpečná", u"nie je bezpečná", u"bezpečnosť nezistená"),
        Deadlock(analysis),
    };
    const auto dead = Names(analysis, analysis.dead, Verdict::Yes);
    if (!dead.empty()) {
        lines.push_back(u"mŕtve prechody: " + Joined(dead, u", "));
    }
    lines.push_back(Liveness(analysis));
    lines.push_back(Said(analysis.reversible, u"reverzibilná", u"nie je reverzibilná",
                         u"reverzibilita nezistená"));
    lines.push_back(Invariants(analysis, true));
    lines.push_back(Invariants(analysis, false));
    for (const auto& fault : analysis.net.Faults()) {
        lines.push_back(u"chyba kresby: " + FaultText(fault));
    }
    return lines;
}

std::u16string FaultText(const SDrawingFaultEntry& fault) {
    const std::u16string id = Number(fault.elementId);
    const std::u16string other = Number(fault.otherId);
    const std::u16string value = Number(fault.value);
    const std::u16string arc = id + u" → " + other;
    switch (fault.kind) {
        case DrawingFault::PlaceToPlace:
            return u"hrana spája dve miesta (" + arc + u")";
        case DrawingFault::TransitionToTransition:
            return u"hrana spája dva prechody (" + arc + u")";
        case DrawingFault::ChainLeadsNowhere:
            return u"hrana z prvku " + id + u" cez uzol " + other + u" nikam nevedie";
        case DrawingFault::ChainLoops:
            return u"hrana z prvku " + id + u" krúži v uzloch (uzol " + other + u")";
        case DrawingFault::NodeBranches:
            return u"z uzla " + id + u" vychádza viac hrán (" + value + u"), platí najnovšia";
        case DrawingFault::ArcOutsideNet:
            return u"hrana z prvku " + id + u" vedie k prvku " + other + u" mimo siete";
        case DrawingFault::WeightNotPositive:
            return u"hrana " + arc + u" má váhu " + value + u", vynechaná";
        case DrawingFault::WeightsDisagree:
            return u"úseky hrany " + arc + u" majú rôzne váhy, platí prvá (" + value + u")";
        case DrawingFault::NegativeTokens:
            return u"miesto " + id + u" má záporný počet značiek (" + value + u"), počíta sa 0";
        case DrawingFault::NegativeCapacity:
            return u"miesto " + id + u" má zápornú kapacitu (" + value + u"), počíta sa bez nej";
        case DrawingFault::TokensAboveCapacity:
            return u"miesto " + id + u" má viac značiek (" + value + u"), než dovoľuje kapacita";
        case DrawingFault::DuplicateId:
            return u"číslo " + id + u" má viac prvkov";
    }
    return {};
}

std::vector<std::u16string> ComparisonLines(const SNetComparison& comparison) {
    const std::u16string counts =
        Number(comparison.firstCount) + u", v riešení " + Number(comparison.secondCount);
    std::u16string structure;
    switch (comparison.structure) {
        case StructuralDifference::None:
            structure = u"štruktúrne zhodná s riešením";
            break;
        case StructuralDifference::PlaceCount:
            structure = u"štruktúrne odlišná od riešenia: miest " + counts;
            break;
        case StructuralDifference::TransitionCount:
            structure = u"štruktúrne odlišná od riešenia: prechodov " + counts;
            break;
        case StructuralDifference::ConnectionCount:
            structure = u"štruktúrne odlišná od riešenia: hrán " + counts;
            break;
        case StructuralDifference::Wiring:
            structure = u"štruktúrne odlišná od riešenia: iné spojenia, váhy alebo značky";
            break;
        case StructuralDifference::Names:
            structure = u"štruktúrne zhodná s riešením až na mená";
            break;
        case StructuralDifference::Undecided:
            structure = u"štruktúrna zhoda nezistená";
    }
    std::u16string behaviour = Said(comparison.behaviour, u"správaním zhodná s riešením",
                                    u"správaním odlišná od riešenia", u"zhoda správania nezistená");
    if (!comparison.difference.empty()) {
        std::vector<std::u16string> before(comparison.difference.begin(),
                                           comparison.difference.end() - 1);
        const std::u16string& step = comparison.difference.back();
        behaviour +=
            (before.empty() ? u": hneď na začiatku " : u": po " + Joined(before, u" ") + u" ") +
            (comparison.firstAllows ? u"sieť povolí " + step + u", riešenie nie"
                                    : u"riešenie povolí " + step + u", sieť nie");
    }
    return {structure, behaviour};
}

}  // namespace orvane
