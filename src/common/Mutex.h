// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CMutex and CMutexLock: std::mutex and its scoped lock with clang's thread-safety
// annotations, so that members marked GUARDED_BY(mutex) are checked by the clang build. A
// condition is waited for through the lock; the predicate runs with the mutex held, which it
// says with AssertHeld (the analysis does not follow the lock into a lambda).
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "common/ThreadAnnotations.h"

namespace orvane {

class CAPABILITY("mutex") CMutex {
public:
    void Lock() ACQUIRE() { mutex.lock(); }
    void Unlock() RELEASE() { mutex.unlock(); }
    void AssertHeld() const ASSERT_CAPABILITY(this) {}

    // For std::condition_variable_any, which releases and takes the mutex while it waits.
    void lock() ACQUIRE() { mutex.lock(); }
    void unlock() RELEASE() { mutex.unlock(); }

private:
    std::mutex mutex;
};

class SCOPED_CAPABILITY CMutexLock {
public:
    explicit CMutexLock(CMutex& held) ACQUIRE(held) : mutex(held) { mutex.Lock(); }
    ~CMutexLock() RELEASE() { mutex.Unlock(); }
    CMutexLock(const CMutexLock&) = delete;
    CMutexLock& operator=(const CMutexLock&) = delete;

    // Waits until `ready` is true; the mutex is released while it waits.
    template <class Predicate>
    void Wait(std::condition_variable_any& condition, Predicate ready) {
        condition.wait(mutex, ready);
    }
    // The same, for at most `wait`; the last answer of `ready`.
    template <class Predicate>
    bool WaitFor(std::condition_variable_any& condition, std::chrono::milliseconds wait,
                 Predicate ready) {
        return condition.wait_for(mutex, wait, ready);
    }

private:
    CMutex& mutex;
};

}  // namespace orvane
