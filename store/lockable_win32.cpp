#include "store/lockable.h"

Lockable::Lockable() { InitializeCriticalSection(&m_section); }
Lockable::~Lockable() { DeleteCriticalSection(&m_section); }
void Lockable::Lock() const { EnterCriticalSection(&m_section); }
void Lockable::Unlock() const { LeaveCriticalSection(&m_section); }
