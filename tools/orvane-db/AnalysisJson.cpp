// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnalysisJson.h"

#include "analysis/PropertyText.h"

namespace orvane {
namespace {

std::u16string_view Said(Verdict verdict) {
    return verdict == Verdict::Yes ? u"yes" : (verdict == Verdict::No ? u"no" : u"unknown");
}

std::u16string_view EndName(ExploreEnd end) {
    switch (end) {
        case ExploreEnd::Complete:
            return u"complete";
        case ExploreEnd::StateLimit:
            return u"stateLimit";
        case ExploreEnd::MemoryLimit:
            return u"memoryLimit";
        case ExploreEnd::TokenLimit:
            return u"tokenLimit";
        case ExploreEnd::Cancelled:
            break;
    }
    return u"cancelled";
}

void Places(CJsonWriter& writer, const SNetAnalysis& analysis) {
    writer.Key("places").BeginArray();
    const auto& places = analysis.net.Places();
    for (std::size_t p = 0; p < places.size(); ++p) {
        writer.BeginObject();
        writer.Key("id").Number(places[p].id);
        writer.Key("name").Text(places[p].name);
        writer.Key("tokens").Number(places[p].tokens);
        places[p].HasCapacity() ? writer.Key("capacity").Number(places[p].capacity)
                                : writer.Key("capacity").Null();
        const std::uint32_t bound = analysis.bounds[p];
        bound == CMarkingLayout::kOmega ? writer.Key("bound").Null()
                                        : writer.Key("bound").Number(bound);
        writer.EndObject();
    }
    writer.EndArray();
}

void Transitions(CJsonWriter& writer, const SNetAnalysis& analysis) {
    writer.Key("transitions").BeginArray();
    const auto& transitions = analysis.net.Transitions();
    for (std::size_t t = 0; t < transitions.size(); ++t) {
        writer.BeginObject();
        writer.Key("id").Number(transitions[t].id);
        writer.Key("name").Text(transitions[t].name);
        writer.Key("dead").Text(Said(analysis.dead[t]));
        writer.Key("live").Text(Said(analysis.live[t]));
        writer.EndObject();
    }
    writer.EndArray();
}

void Invariants(CJsonWriter& writer, const SNetAnalysis& analysis, bool places) {
    writer.Key(places ? "placeInvariants" : "transitionInvariants").BeginObject();
    writer.Key("complete")
        .Boolean(places ? analysis.placeInvariantsComplete : analysis.transitionInvariantsComplete);
    writer.Key("invariants").BeginArray();
    for (const auto& invariant :
         places ? analysis.placeInvariants : analysis.transitionInvariants) {
        writer.BeginArray();
        for (const auto& [index, factor] : invariant) {
            writer.BeginObject();
            writer.Key("id").Number(places ? analysis.net.Places()[index].id
                                           : analysis.net.Transitions()[index].id);
            writer.Key("factor").Number(factor);
            writer.EndObject();
        }
        writer.EndArray();
    }
    writer.EndArray();
    writer.EndObject();
}

void Texts(CJsonWriter& writer, const std::vector<std::u16string>& texts) {
    writer.BeginArray();
    for (const auto& text : texts) {
        writer.Text(text);
    }
    writer.EndArray();
}

}  // namespace

void DumpAnalysis(CJsonWriter& writer, const SNetAnalysis& analysis) {
    writer.BeginObject();
    writer.Key("graph").BeginObject();
    writer.Key("kind").Text(analysis.coverability ? u"coverability" : u"reachability");
    writer.Key("states").Number(analysis.states);
    writer.Key("edges").Number(static_cast<std::int64_t>(analysis.edges));
    writer.Key("exact").Boolean(analysis.IsExact());
    writer.Key("end").Text(EndName(analysis.end));
    writer.EndObject();
    writer.Key("bounded").Text(Said(analysis.bounded));
    writer.Key("safe").Text(Said(analysis.safe));
    writer.Key("deadlock").Text(Said(analysis.deadlock));
    std::vector<std::u16string> sequence;
    for (const std::uint32_t t : analysis.deadlockPath) {
        sequence.push_back(analysis.net.Transitions()[t].name);
    }
    Texts(writer.Key("deadlockSequence"), sequence);
    writer.Key("reversible").Text(Said(analysis.reversible));
    Places(writer, analysis);
    Transitions(writer, analysis);
    Invariants(writer, analysis, true);
    Invariants(writer, analysis, false);
    writer.Key("faults").BeginArray();
    for (const auto& fault : analysis.net.Faults()) {
        writer.Text(FaultText(fault));
    }
    writer.EndArray();
    Texts(writer.Key("lines"), PropertyLines(analysis));
    writer.EndObject();
}

void DumpComparison(CJsonWriter& writer, const SNetComparison& comparison) {
    writer.BeginObject();
    writer.Key("structurallyEqual").Boolean(comparison.StructurallyEqual());
    writer.Key("behaviourallyEqual").Text(Said(comparison.behaviour));
    Texts(writer.Key("difference"), comparison.difference);
    if (!comparison.difference.empty()) {
        writer.Key("allowedBy").Text(comparison.firstAllows ? u"work" : u"key");
    }
    Texts(writer.Key("lines"), ComparisonLines(comparison));
    writer.EndObject();
}

}  // namespace orvane
