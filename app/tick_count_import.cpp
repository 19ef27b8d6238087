// The runtime's thread library, linked in statically, imports GetTickCount64,
// which the kernel32 of Windows XP does not have: the loader would refuse to
// start the program there at all. The import's slot is defined here instead,
// so the linker takes it rather than kernel32's, and it is bound on the first
// call: to the system's GetTickCount64 where there is one, otherwise to a
// count made from GetTickCount.
#include "base/tick_count.h"

#include <windows.h>

#include <atomic>

namespace {

typedef ULONGLONG(WINAPI* TickCountFunction)();

// The count last given out, seeded with the tick of the first call.
std::atomic<std::uint64_t> g_last_tick{0};

ULONGLONG WINAPI ExtendedTickCount()
{
    const DWORD now = GetTickCount();
    std::uint64_t last = g_last_tick.load();
    std::uint64_t next = tick_count::Extend(last, now);
    while (next != last && !g_last_tick.compare_exchange_weak(last, next))
        next = tick_count::Extend(last, now);
    return next;
}

ULONGLONG WINAPI BindTickCount();

} // namespace

// The name the import library gives the slot: decorated for stdcall on x86.
#ifdef _WIN64
#define TICK_COUNT_IMPORT "__imp_GetTickCount64"
#else
#define TICK_COUNT_IMPORT "__imp__GetTickCount64@0"
#endif

extern "C" TickCountFunction g_tick_count_import __asm__(TICK_COUNT_IMPORT);
TickCountFunction g_tick_count_import = BindTickCount;

namespace {

ULONGLONG WINAPI BindTickCount()
{
    const auto system = reinterpret_cast<TickCountFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount64")));
    if (!system) {
        std::uint64_t unseeded = 0;
        g_last_tick.compare_exchange_strong(unseeded, GetTickCount());
    }
    // Two first calls at once both store the same function.
    g_tick_count_import = system ? system : ExtendedTickCount;
    return g_tick_count_import();
}

} // namespace
