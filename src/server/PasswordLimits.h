// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CPasswordLimits: slows down the guessing of passwords where the guessing comes from, never
// on the account that is guessed. Refused passwords are counted per address and per login from
// one address; the counts are forgotten slowly over time. An address or a (login, address)
// pair whose count has passed what mistypes explain has its credential checks take turns:
// one at a time, with a pause between turns that grows with the count. A check waits for its
// turn before the password is looked at, so a right password waits like a wrong one there.
// An attempt whose turn lies further away than kLongestWait is refused unchecked, without
// taking a turn, so a flood of attempts cannot push anybody's turn minutes away. The same
// login from any other address is never delayed, nor is any login from an address that has
// not been guessing. (Each session is slowed down and ended by its own refusals besides:
// SessionPause, and the session's own limit.)
//
// Memory stays bounded whatever logins and addresses a script makes up: the counts are kept
// by a keyed hash in tables of fixed size, a few to each set. A new key takes the place of
// the one in its set with the lowest count, so a flood of new keys does not push out one
// that is being guessed.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/Mutex.h"

namespace orvane {

class CPasswordLimits {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::chrono::seconds kLongestWait{10};
    // 4,096 sets of 4 per table: 16,384 keys in about half a megabyte.
    static constexpr std::size_t kSets = 4096;
    static constexpr std::size_t kWays = 4;

    // The one set of limits of the process.
    static CPasswordLimits& Shared();

    // `sets`: the sets of each table, of kWays keys each (tests take one, to fill it).
    explicit CPasswordLimits(std::size_t sets = kSets);

    // When the check of a password for `login` from `address` may run: now, or the turn of
    // a guessing address or pair; nothing when that turn lies beyond kLongestWait.
    std::optional<Clock::time_point> TurnOf(std::u16string_view login, std::uint32_t address,
                                            Clock::time_point now = Clock::now());
    void Refused(std::u16string_view login, std::uint32_t address,
                 Clock::time_point now = Clock::now());
    // A right password forgets the refusals of the login from that address.
    void Accepted(std::u16string_view login, std::uint32_t address);
    // Forgets every refusal (remote access switched on anew starts afresh).
    void Clear();

    // The pause before a session answers its n-th refused password: none for the first, half
    // a second for the second, then twice as long each time, at most 4 s.
    static Clock::duration SessionPause(std::size_t refusals);

    // How one table counts: refusals up to `free` are mistypes; each further one doubles the
    // pause between turns, from `firstInterval`, up to `doublings` times. One refusal is
    // forgotten every `forget`.
    struct Rule {
        double free;
        Clock::duration forget;
        Clock::duration firstInterval;
        int doublings;
    };
    static const Rule kPairRule;
    static const Rule kAddressRule;

private:
    struct Entry {
        std::uint64_t key = 0;  // 0: free
        double refusals = 0;
        Clock::time_point counted{};  // when `refusals` was last brought up to date
        Clock::time_point nextTurn{};
    };
    class Table {
    public:
        Table(const Rule& countRule, std::size_t setCount) : rule(countRule), sets(setCount) {}
        Entry* Find(std::uint64_t key, Clock::time_point now);
        Entry& Take(std::uint64_t key, Clock::time_point now);
        bool IsGuessing(const Entry& entry) const { return entry.refusals >= rule.free; }
        Clock::duration Interval(const Entry& entry) const;
        void Count(Entry& entry) const;
        void Clear() { entries.clear(); }

    private:
        void Forget(Entry& entry, Clock::time_point now) const;
        std::vector<Entry>::iterator SetOf(std::uint64_t key);
        const Rule& rule;
        const std::size_t sets;
        std::vector<Entry> entries;  // made on the first refusal
    };

    std::uint64_t KeyOf(std::u16string_view login, std::uint32_t address, bool withLogin) const;

    CMutex mutex;
    const std::uint64_t secret;
    Table pairs GUARDED_BY(mutex);
    Table addresses GUARDED_BY(mutex);
};

}  // namespace orvane
