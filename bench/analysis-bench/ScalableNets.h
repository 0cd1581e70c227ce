// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Nets made by code whose state spaces grow with n, for the analysis benchmark.
#include "analysis/NetStructure.h"

namespace orvane::bench {

// n philosophers round a table, each takes the left fork, then the right one, eats and puts
// both back: 4n places, 3n transitions, 1-safe, deadlocks when all hold their left fork.
CNetStructure Philosophers(int n);
// n independent cycles of two places: 2n places, 2^n markings, 1-safe.
CNetStructure Cycles(int n);
// One producer and one consumer around a buffer of n places: 4(n + 1) markings.
CNetStructure ProducerConsumer(int n);
// n producers that each fill a place of their own without end: a coverability graph of 2^n
// nodes.
CNetStructure UnboundedProducers(int n);

}  // namespace orvane::bench
