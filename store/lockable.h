// A lock owned by an object: a critical section on Windows, a standard mutex in
// the portable build that runs the text and data code natively.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <mutex>
#endif

class Lockable {
public:
    Lockable();
    virtual ~Lockable();
    Lockable(const Lockable&) = delete;
    Lockable& operator=(const Lockable&) = delete;

    // Holds the lock for the lifetime of the guard.
    class Guard {
    public:
        explicit Guard(const Lockable& owner) : m_owner(owner) { m_owner.Lock(); }
        ~Guard() { m_owner.Unlock(); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        const Lockable& m_owner;
    };

private:
    void Lock() const;
    void Unlock() const;

#ifdef _WIN32
    mutable CRITICAL_SECTION m_section;
#else
    mutable std::mutex m_mutex;
#endif
};
