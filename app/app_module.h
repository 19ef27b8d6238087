// The process's application module: the instance the resources come from, the
// main thread, and which message pump runs on which thread.
#pragma once

#include "store/lockable.h"

#include <windows.h>

#include <map>

class MessagePump;

class AppModule : public Lockable {
public:
    void Init(HINSTANCE instance);
    void Term();

    HINSTANCE Instance() const { return mh_instance; }
    DWORD MainThreadId() const { return mn_main_thread_id; }

    void RegisterPump(DWORD thread_id, MessagePump* pump);
    void UnregisterPump(DWORD thread_id);
    // Null when the thread has no pump.
    MessagePump* FindPump(DWORD thread_id) const;

private:
    HINSTANCE mh_instance = nullptr;
    DWORD mn_main_thread_id = 0;
    std::map<DWORD, MessagePump*> m_pumps;
};

extern AppModule g_module;
