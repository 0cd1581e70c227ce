#pragma once
// The one pseudo-random source of the process, shared by password generation and the test
// draw. It is never seeded: every run of the program draws the same sequence of values from
// 0 to 32767 (state starts at 1; state = state * 214013 + 2531011 mod 2^32; value = bits
// 16 to 30 of the new state).
namespace orvane {

int NextRandom();

// Puts the source back to its start state, as at program start (for tests).
void ResetRandomSource();

}  // namespace orvane
