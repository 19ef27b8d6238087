// Stand-ins for Extract.dll: with FAKE_EXTRACT_EXPORT an ExtractArchive that
// always fails without a message, otherwise a library without that export.
#include <windows.h>

#ifdef FAKE_EXTRACT_EXPORT
extern "C" __declspec(dllexport) int __stdcall ExtractArchive(const char*, const char*, char*)
{
    return 1;
}
#else
extern "C" __declspec(dllexport) int __stdcall SomethingElse() { return 0; }
#endif
