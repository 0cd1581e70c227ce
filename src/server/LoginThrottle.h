#pragma once
// CLoginThrottle: slows down the guessing of passwords. Once a login has had a few refused
// AUTHs within the last minute, the attempts on it are answered at most once a second in
// total, whichever sessions and addresses they come from; an attempt waits for its turn
// before its password is checked, so an accepted one waits like a refused one and the time
// of the answer tells nothing. A login without recent refusals is never delayed.
//
// The queue of turns is short: an attempt whose turn would come more than kLongestWait away
// is refused at once, unchecked and without taking a turn, so a flood of attempts cannot push
// the owner's own turn minutes away; it answers as a wrong password does.
//
// Memory stays bounded whatever logins a script invents: the logins are kept by a keyed hash
// in a table of fixed size, a few to each set. A new login takes the place of the one in its
// set that is least worth keeping (no recent refusal, then the fewest, then the oldest), so a
// flood of invented logins does not push out a login that is being guessed.
#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace orvane {

class CLoginThrottle {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::size_t kRefusalsBeforeDelay = 3;
    static constexpr std::chrono::seconds kWindow{60};
    static constexpr std::chrono::seconds kInterval{1};
    static constexpr std::chrono::seconds kLongestWait{10};

    // The one throttle of the process.
    static CLoginThrottle& Shared();

    CLoginThrottle();

    // When the attempt on `login` that is about to be checked may be answered: now for a login
    // without recent refusals, else its turn, at least kInterval after the turn before;
    // nothing when that turn lies beyond kLongestWait (the attempt is refused unchecked).
    std::optional<Clock::time_point> TurnOf(std::u16string_view login,
                                            Clock::time_point now = Clock::now());
    void Refused(std::u16string_view login, Clock::time_point now = Clock::now());
    // A login accepted forgets its refusals.
    void Accepted(std::u16string_view login);

private:
    struct Entry {
        std::uint64_t key = 0;  // 0: free
        // The last refusals, the latest last; the last `recorded` of them are real.
        std::array<Clock::time_point, kRefusalsBeforeDelay> refused{};
        std::size_t recorded = 0;
        Clock::time_point nextTurn{};
    };

    std::uint64_t KeyOf(std::u16string_view login) const;
    // The entry of the key, or null.
    Entry* Find(std::uint64_t key);
    // The entry of the key, taking the place of the one least worth keeping in its set.
    Entry& Take(std::uint64_t key, Clock::time_point now);
    static std::size_t RecentRefusals(const Entry& entry, Clock::time_point now);

    std::mutex mutex;
    const std::uint64_t secret;
    std::vector<Entry> table;  // made on the first refusal
};

}  // namespace orvane
