// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Clang's thread-safety annotations: which mutex guards a member, which a function needs held
// or takes. The clang build (-Wthread-safety) checks every access against them; other
// compilers see nothing of them.
#if defined(__clang__)
#define ORVANE_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define ORVANE_THREAD_ANNOTATION(x)
#endif

// On a class: its objects are a capability (a mutex) of the given kind.
#define CAPABILITY(x) ORVANE_THREAD_ANNOTATION(capability(x))
// On a class: its objects hold a capability from construction to destruction.
#define SCOPED_CAPABILITY ORVANE_THREAD_ANNOTATION(scoped_lockable)
// On a member: only read or written with the mutex held.
#define GUARDED_BY(x) ORVANE_THREAD_ANNOTATION(guarded_by(x))
// On a pointer member: what it points to is only touched with the mutex held.
#define PT_GUARDED_BY(x) ORVANE_THREAD_ANNOTATION(pt_guarded_by(x))
// On a function: the caller holds the mutexes, and still does on return.
#define REQUIRES(...) ORVANE_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
// On a function: the caller must not hold the mutexes (the function takes them).
#define EXCLUDES(...) ORVANE_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) ORVANE_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define RELEASE(...) ORVANE_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
// On a function: once it returns, the mutex is known to be held.
#define ASSERT_CAPABILITY(x) ORVANE_THREAD_ANNOTATION(assert_capability(x))
#define RETURN_CAPABILITY(x) ORVANE_THREAD_ANNOTATION(lock_returned(x))
