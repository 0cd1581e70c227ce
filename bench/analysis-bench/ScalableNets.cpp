// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScalableNets.h"

#include <string>

#include "common/TextCodec.h"

namespace orvane::bench {
namespace {

std::u16string Name(const char* stem, int i) {
    return FromUtf8(stem + std::to_string(i));
}

// A transition that takes one token from each of `in` and puts one into each of `out`.
void Step(CNetStructure& net, std::u16string name, const std::vector<std::uint32_t>& in,
          const std::vector<std::uint32_t>& out) {
    const std::uint32_t t = net.AddTransition(std::move(name));
    for (const std::uint32_t p : in) {
        net.AddInput(t, p, 1);
    }
    for (const std::uint32_t p : out) {
        net.AddOutput(t, p, 1);
    }
}

}  // namespace

CNetStructure Philosophers(int n) {
    CNetStructure net;
    std::vector<std::uint32_t> thinking, fork, left, eating;
    for (int i = 0; i < n; ++i) {
        thinking.push_back(net.AddPlace(Name("thinking", i), 1));
        fork.push_back(net.AddPlace(Name("fork", i), 1));
        left.push_back(net.AddPlace(Name("left", i), 0));
        eating.push_back(net.AddPlace(Name("eating", i), 0));
    }
    for (int i = 0; i < n; ++i) {
        const std::uint32_t right = fork[(i + 1) % n];
        Step(net, Name("takeLeft", i), {thinking[i], fork[i]}, {left[i]});
        Step(net, Name("takeRight", i), {left[i], right}, {eating[i]});
        Step(net, Name("release", i), {eating[i]}, {thinking[i], fork[i], right});
    }
    return net;
}

CNetStructure Cycles(int n) {
    CNetStructure net;
    for (int i = 0; i < n; ++i) {
        const std::uint32_t a = net.AddPlace(Name("a", i), 1);
        const std::uint32_t b = net.AddPlace(Name("b", i), 0);
        Step(net, Name("f", i), {a}, {b});
        Step(net, Name("g", i), {b}, {a});
    }
    return net;
}

CNetStructure ProducerConsumer(int n) {
    CNetStructure net;
    const std::uint32_t ready = net.AddPlace(u"ready", 1), made = net.AddPlace(u"made", 0);
    const std::uint32_t free = net.AddPlace(u"free", n), buffer = net.AddPlace(u"buffer", 0);
    const std::uint32_t waiting = net.AddPlace(u"waiting", 1), taken = net.AddPlace(u"taken", 0);
    Step(net, u"make", {ready}, {made});
    Step(net, u"put", {made, free}, {ready, buffer});
    Step(net, u"take", {waiting, buffer}, {taken, free});
    Step(net, u"use", {taken}, {waiting});
    return net;
}

CNetStructure UnboundedProducers(int n) {
    CNetStructure net;
    for (int i = 0; i < n; ++i) {
        const std::uint32_t run = net.AddPlace(Name("run", i), 1);
        const std::uint32_t made = net.AddPlace(Name("made", i), 0);
        Step(net, Name("make", i), {run}, {run, made});
    }
    return net;
}

}  // namespace orvane::bench
