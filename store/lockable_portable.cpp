#include "store/lockable.h"

Lockable::Lockable() = default;
Lockable::~Lockable() = default;
void Lockable::Lock() const { m_mutex.lock(); }
void Lockable::Unlock() const { m_mutex.unlock(); }
