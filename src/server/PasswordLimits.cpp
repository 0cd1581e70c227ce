// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/PasswordLimits.h"

#include <algorithm>
#include <random>

namespace orvane {
namespace {

using namespace std::chrono_literals;

constexpr auto kFirstSessionPause = 500ms;
constexpr auto kLongestSessionPause = 4s;

// The last step of SplitMix64: spreads the bits of a keyed FNV-1a sum over the whole word.
std::uint64_t Mix(std::uint64_t value) {
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

}  // namespace

// A login guessed from one address: five mistypes, then turns 1 s apart, doubling up to 64 s;
// a refusal is forgotten every three minutes. An address: a class behind one router mistypes
// a hundred times before its checks take turns, five a second.
const CPasswordLimits::Rule CPasswordLimits::kPairRule{5, 3min, 1s, 6};
const CPasswordLimits::Rule CPasswordLimits::kAddressRule{100, 6s, 200ms, 0};

CPasswordLimits& CPasswordLimits::Shared() {
    // Never destroyed: detached session threads may still ask while the process ends.
    static CPasswordLimits* const limits = new CPasswordLimits;
    return *limits;
}

// The key is secret, so that nobody can make up logins that fall into the set of another.
CPasswordLimits::CPasswordLimits(std::size_t sets)
    : secret((std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}()),
      pairs(kPairRule, sets),
      addresses(kAddressRule, sets) {}

std::uint64_t CPasswordLimits::KeyOf(std::u16string_view login, std::uint32_t address,
                                     bool withLogin) const {
    std::uint64_t sum = 0xCBF29CE484222325ull ^ secret;
    const auto add = [&sum](std::uint32_t value) { sum = (sum ^ value) * 0x100000001B3ull; };
    add(address);
    add(withLogin ? 1 : 0);
    for (const char16_t c : withLogin ? login : std::u16string_view()) {
        add(c);
    }
    return std::max<std::uint64_t>(Mix(sum), 1);  // 0 marks a free entry
}

void CPasswordLimits::Table::Forget(Entry& entry, Clock::time_point now) const {
    if (now > entry.counted) {
        const double forgotten = std::chrono::duration<double>(now - entry.counted) / rule.forget;
        entry.refusals = std::max(0.0, entry.refusals - forgotten);
        entry.counted = now;
    }
}

std::vector<CPasswordLimits::Entry>::iterator CPasswordLimits::Table::SetOf(std::uint64_t key) {
    return entries.begin() + static_cast<std::ptrdiff_t>(key % sets * kWays);
}

CPasswordLimits::Entry* CPasswordLimits::Table::Find(std::uint64_t key, Clock::time_point now) {
    if (entries.empty()) {
        return nullptr;
    }
    const auto set = SetOf(key);
    const auto found =
        std::find_if(set, set + kWays, [key](const Entry& entry) { return entry.key == key; });
    if (found == set + kWays) {
        return nullptr;
    }
    Forget(*found, now);
    return &*found;
}

CPasswordLimits::Entry& CPasswordLimits::Table::Take(std::uint64_t key, Clock::time_point now) {
    if (Entry* entry = Find(key, now)) {
        return *entry;
    }
    if (entries.empty()) {
        entries.resize(sets * kWays);
    }
    const auto set = SetOf(key);
    for (auto entry = set; entry != set + kWays; ++entry) {
        Forget(*entry, now);
    }
    Entry& least = *std::min_element(set, set + kWays, [](const Entry& a, const Entry& b) {
        return std::pair(a.key != 0, a.refusals) < std::pair(b.key != 0, b.refusals);
    });
    least = Entry{key, 0, now, {}};
    return least;
}

CPasswordLimits::Clock::duration CPasswordLimits::Table::Interval(const Entry& entry) const {
    const int doublings = std::min(static_cast<int>(entry.refusals - rule.free), rule.doublings);
    return rule.firstInterval * (1 << doublings);
}

// A count that stops a little above the longest pause, so that a long attack is forgotten in
// minutes once it ends.
void CPasswordLimits::Table::Count(Entry& entry) const {
    entry.refusals = std::min(entry.refusals + 1, rule.free + rule.doublings + 1);
}

std::optional<CPasswordLimits::Clock::time_point> CPasswordLimits::TurnOf(std::u16string_view login,
                                                                          std::uint32_t address,
                                                                          Clock::time_point now) {
    const CMutexLock lock(mutex);
    std::pair<Table*, Entry*> guessing[2] = {
        {&pairs, pairs.Find(KeyOf(login, address, true), now)},
        {&addresses, addresses.Find(KeyOf(login, address, false), now)}};
    Clock::time_point turn = now;
    for (auto& [table, entry] : guessing) {
        if (entry != nullptr && !table->IsGuessing(*entry)) {
            entry = nullptr;
        }
        turn = entry != nullptr ? std::max(turn, entry->nextTurn) : turn;
    }
    if (turn - now > kLongestWait) {
        return std::nullopt;
    }
    for (const auto& [table, entry] : guessing) {
        if (entry != nullptr) {
            entry->nextTurn = turn + table->Interval(*entry);
        }
    }
    return turn;
}

void CPasswordLimits::Refused(std::u16string_view login, std::uint32_t address,
                              Clock::time_point now) {
    const CMutexLock lock(mutex);
    pairs.Count(pairs.Take(KeyOf(login, address, true), now));
    addresses.Count(addresses.Take(KeyOf(login, address, false), now));
}

void CPasswordLimits::Accepted(std::u16string_view login, std::uint32_t address) {
    const CMutexLock lock(mutex);
    if (Entry* entry = pairs.Find(KeyOf(login, address, true), Clock::now())) {
        *entry = Entry{};
    }
}

void CPasswordLimits::Clear() {
    const CMutexLock lock(mutex);
    pairs.Clear();
    addresses.Clear();
}

CPasswordLimits::Clock::duration CPasswordLimits::SessionPause(std::size_t refusals) {
    if (refusals < 2) {
        return {};
    }
    const std::size_t doublings = std::min<std::size_t>(refusals - 2, 3);
    return std::min<Clock::duration>(kFirstSessionPause * (1 << doublings), kLongestSessionPause);
}

}  // namespace orvane
