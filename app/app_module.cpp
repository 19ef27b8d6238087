#include "app/app_module.h"

AppModule g_module;

void AppModule::Init(HINSTANCE instance)
{
    mh_instance = instance;
    mn_main_thread_id = GetCurrentThreadId();
}

void AppModule::Term()
{
    Guard guard(*this);
    m_pumps.clear();
}

void AppModule::RegisterPump(DWORD thread_id, MessagePump* pump)
{
    Guard guard(*this);
    m_pumps[thread_id] = pump;
}

void AppModule::UnregisterPump(DWORD thread_id)
{
    Guard guard(*this);
    m_pumps.erase(thread_id);
}

MessagePump* AppModule::FindPump(DWORD thread_id) const
{
    Guard guard(*this);
    const auto pump = m_pumps.find(thread_id);
    return pump == m_pumps.end() ? nullptr : pump->second;
}
