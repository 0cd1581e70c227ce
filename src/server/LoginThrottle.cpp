#include "server/LoginThrottle.h"

#include <algorithm>
#include <random>
#include <tuple>

namespace orvane {
namespace {

// 8,192 sets of 4: 32,768 logins in about 1.5 MB, far more than one school has accounts.
constexpr std::size_t kSets = 8192;
constexpr std::size_t kWays = 4;

// The last step of SplitMix64: spreads the bits of a keyed FNV-1a sum over the whole word.
std::uint64_t Mix(std::uint64_t value) {
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

}  // namespace

CLoginThrottle& CLoginThrottle::Shared() {
    // Never destroyed: detached session threads may still ask while the process ends.
    static CLoginThrottle* const throttle = new CLoginThrottle;
    return *throttle;
}

// The key is secret, so that nobody can make up logins that fall into the set of another.
CLoginThrottle::CLoginThrottle()
    : secret((std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}()) {}

std::uint64_t CLoginThrottle::KeyOf(std::u16string_view login) const {
    std::uint64_t sum = 0xCBF29CE484222325ull ^ secret;
    for (const char16_t c : login) {
        sum = (sum ^ c) * 0x100000001B3ull;
    }
    return std::max<std::uint64_t>(Mix(sum), 1);  // 0 marks a free entry
}

CLoginThrottle::Entry* CLoginThrottle::Find(std::uint64_t key) {
    if (table.empty()) {
        return nullptr;
    }
    const auto set = table.begin() + static_cast<std::ptrdiff_t>(key % kSets * kWays);
    const auto found =
        std::find_if(set, set + kWays, [key](const Entry& entry) { return entry.key == key; });
    return found == set + kWays ? nullptr : &*found;
}

CLoginThrottle::Entry& CLoginThrottle::Take(std::uint64_t key, Clock::time_point now) {
    if (Entry* entry = Find(key)) {
        return *entry;
    }
    if (table.empty()) {
        table.resize(kSets * kWays);
    }
    const auto set = table.begin() + static_cast<std::ptrdiff_t>(key % kSets * kWays);
    const auto worth = [&](const Entry& entry) {
        return std::tuple(entry.key != 0, RecentRefusals(entry, now), entry.refused.back());
    };
    Entry& least = *std::min_element(
        set, set + kWays, [&](const Entry& a, const Entry& b) { return worth(a) < worth(b); });
    least = Entry{};
    least.key = key;
    return least;
}

std::size_t CLoginThrottle::RecentRefusals(const Entry& entry, Clock::time_point now) {
    return static_cast<std::size_t>(std::count_if(
        entry.refused.end() - static_cast<std::ptrdiff_t>(entry.recorded), entry.refused.end(),
        [now](Clock::time_point when) { return now - when < kWindow; }));
}

std::optional<CLoginThrottle::Clock::time_point> CLoginThrottle::TurnOf(std::u16string_view login,
                                                                        Clock::time_point now) {
    const std::lock_guard lock(mutex);
    Entry* entry = Find(KeyOf(login));
    if (entry == nullptr || RecentRefusals(*entry, now) < kRefusalsBeforeDelay) {
        return now;
    }
    const Clock::time_point turn = std::max(now, entry->nextTurn);
    if (turn - now > kLongestWait) {
        return std::nullopt;
    }
    entry->nextTurn = turn + kInterval;
    return turn;
}

void CLoginThrottle::Refused(std::u16string_view login, Clock::time_point now) {
    const std::lock_guard lock(mutex);
    Entry& entry = Take(KeyOf(login), now);
    std::shift_left(entry.refused.begin(), entry.refused.end(), 1);
    entry.refused.back() = now;
    entry.recorded = std::min(entry.recorded + 1, kRefusalsBeforeDelay);
}

void CLoginThrottle::Accepted(std::u16string_view login) {
    const std::lock_guard lock(mutex);
    if (Entry* entry = Find(KeyOf(login))) {
        *entry = Entry{};
    }
}

}  // namespace orvane
