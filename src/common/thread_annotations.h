// Locking rules the compiler checks. Under clang these macros carry its
// thread-safety attributes, and a build with -Wthread-safety reports every
// read or write of a KORVEX_GUARDED_BY field without its lock, and every
// call of a KORVEX_REQUIRES function without the lock it names. Other
// compilers see nothing.
//
// The checked lock types are those declared KORVEX_CAPABILITY (the standard
// mutexes are not annotated in libstdc++): RecursiveMutex,
// Mutex, RecursiveMutex, and the scoped holders LockGuard and UniqueLock
// (common/lock_guard.h). A std::lock_guard or std::unique_lock on one of
// them holds it unseen by the analysis: use the holders.
#pragma once

#if defined(__clang__)
#define KORVEX_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define KORVEX_THREAD_ANNOTATION(x)
#endif

// A type whose objects are locks.
#define KORVEX_CAPABILITY(name) KORVEX_THREAD_ANNOTATION(capability(name))
// A type whose objects hold a lock for their lifetime.
#define KORVEX_SCOPED_CAPABILITY KORVEX_THREAD_ANNOTATION(scoped_lockable)
// A field read and written only under the lock.
#define KORVEX_GUARDED_BY(lock) KORVEX_THREAD_ANNOTATION(guarded_by(lock))
// A pointer field whose target is used only under the lock.
#define KORVEX_PT_GUARDED_BY(lock) KORVEX_THREAD_ANNOTATION(pt_guarded_by(lock))
// A function called with the lock held.
#define KORVEX_REQUIRES(...) KORVEX_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
// A function that takes or leaves the lock.
#define KORVEX_ACQUIRE(...) KORVEX_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define KORVEX_RELEASE(...) KORVEX_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
// A function called without the lock (it takes it itself).
#define KORVEX_EXCLUDES(...) KORVEX_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
// A function that states that the calling thread holds the lock.
#define KORVEX_ASSERT_CAPABILITY(lock) KORVEX_THREAD_ANNOTATION(assert_capability(lock))
// A function that returns a reference to the lock.
#define KORVEX_RETURN_CAPABILITY(lock) KORVEX_THREAD_ANNOTATION(lock_returned(lock))
// A function the analysis leaves out (say why where it is used).
#define KORVEX_NO_THREAD_SAFETY_ANALYSIS KORVEX_THREAD_ANNOTATION(no_thread_safety_analysis)
