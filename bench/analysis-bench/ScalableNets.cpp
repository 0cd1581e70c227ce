#include "ScalableNets.h"

#include <string>

#include "common/TextCodec.h"

namespace orvane::bench {
namespace {

std::u16string Name(const char* stem, int i) {
    return FromUtf8(stem + std::to_string(i));
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
        const std::uint32_t takeLeft = net.AddTransition(Name("takeLeft", i));
        net.AddInput(takeLeft, thinking[i], 1);
        net.AddInput(takeLeft, fork[i], 1);
        net.AddOutput(takeLeft, left[i], 1);
        const std::uint32_t takeRight = net.AddTransition(Name("takeRight", i));
        net.AddInput(takeRight, left[i], 1);
        net.AddInput(takeRight, right, 1);
        net.AddOutput(takeRight, eating[i], 1);
        const std::uint32_t release = net.AddTransition(Name("release", i));
        net.AddInput(release, eating[i], 1);
        net.AddOutput(release, thinking[i], 1);
        net.AddOutput(release, fork[i], 1);
        net.AddOutput(release, right, 1);
    }
    return net;
}

CNetStructure Cycles(int n) {
    CNetStructure net;
    for (int i = 0; i < n; ++i) {
        const std::uint32_t a = net.AddPlace(Name("a", i), 1);
        const std::uint32_t b = net.AddPlace(Name("b", i), 0);
        const std::uint32_t forth = net.AddTransition(Name("f", i));
        net.AddInput(forth, a, 1);
        net.AddOutput(forth, b, 1);
        const std::uint32_t back = net.AddTransition(Name("g", i));
        net.AddInput(back, b, 1);
        net.AddOutput(back, a, 1);
    }
    return net;
}

CNetStructure ProducerConsumer(int n) {
    CNetStructure net;
    const std::uint32_t ready = net.AddPlace(u"ready", 1), made = net.AddPlace(u"made", 0);
    const std::uint32_t free = net.AddPlace(u"free", n), buffer = net.AddPlace(u"buffer", 0);
    const std::uint32_t waiting = net.AddPlace(u"waiting", 1), taken = net.AddPlace(u"taken", 0);
    const auto step = [&](const char16_t* name, std::vector<std::uint32_t> in,
                          std::vector<std::uint32_t> out) {
        const std::uint32_t t = net.AddTransition(name);
        for (const std::uint32_t p : in) {
            net.AddInput(t, p, 1);
        }
        for (const std::uint32_t p : out) {
            net.AddOutput(t, p, 1);
        }
    };
    step(u"make", {ready}, {made});
    step(u"put", {made, free}, {ready, buffer});
    step(u"take", {waiting, buffer}, {taken, free});
    step(u"use", {taken}, {waiting});
    return net;
}

CNetStructure UnboundedProducers(int n) {
    CNetStructure net;
    for (int i = 0; i < n; ++i) {
        const std::uint32_t run = net.AddPlace(Name("run", i), 1);
        const std::uint32_t made = net.AddPlace(Name("made", i), 0);
        const std::uint32_t make = net.AddTransition(Name("make", i));
        net.AddInput(make, run, 1);
        net.AddOutput(make, run, 1);
        net.AddOutput(make, made, 1);
    }
    return net;
}

}  // namespace orvane::bench
