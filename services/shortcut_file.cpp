#include "services/shortcut_file.h"

#include "base/com_ptr.h"
#include "base/failure_log.h"
#include "services/text.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

namespace {

// IPersistFile names files in UTF-16; ours are in the system code page.
std::vector<wchar_t> WidePath(const std::string& path)
{
    const int size = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(size > 0 ? size : 1, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), size);
    return wide;
}

bool Succeeded(const char* call, const std::string& subject, HRESULT result)
{
    if (FAILED(result))
        LogFailedResult(call, subject, result);
    return SUCCEEDED(result);
}

bool CreateLink(const std::string& link_path, ComPtr<IShellLinkA>& link, ComPtr<IPersistFile>& file)
{
    return Succeeded("CoCreateInstance", "CLSID_ShellLink for " + link_path,
                     CoCreateInstance(__uuidof(ShellLink), nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkA),
                                      link.Receive()))
        && Succeeded("QueryInterface", "IPersistFile for " + link_path,
                     link->QueryInterface(__uuidof(IPersistFile), file.Receive()));
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

} // namespace

bool WriteShortcut(const std::string& link_path, const std::string& target, const std::string& working_dir)
{
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    if (!CreateLink(link_path, link, file))
        return false;
    return Succeeded("IShellLinkA::SetPath", target, link->SetPath(target.c_str()))
        && Succeeded("IShellLinkA::SetWorkingDirectory", working_dir, link->SetWorkingDirectory(working_dir.c_str()))
        && Succeeded("IShellLinkA::SetIconLocation", target, link->SetIconLocation(target.c_str(), 0))
        && Succeeded("IPersistFile::Save", link_path, file->Save(WidePath(link_path).data(), TRUE));
}

std::string ShortcutTarget(const std::string& link_path)
{
    if (!FileExists(link_path))
        return std::string();
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    if (!CreateLink(link_path, link, file))
        return std::string();
    if (!Succeeded("IPersistFile::Load", link_path, file->Load(WidePath(link_path).data(), STGM_READ)))
        return std::string();
    // The stored path, unresolved: the question is where it was made to
    // point, not where the shell would find a moved target. The shell keeps
    // no longer path than MAX_PATH.
    std::vector<char> target(MAX_PATH + 1, '\0');
    WIN32_FIND_DATAA data;
    if (!Succeeded("IShellLinkA::GetPath", link_path,
                   link->GetPath(target.data(), static_cast<int>(target.size()), &data, SLGP_RAWPATH)))
        return std::string();
    return target.data();
}

bool RemoveShortcutTo(const std::string& link_path, const std::string& target)
{
    // A file that cannot be read as a shortcut is nobody's to remove.
    const std::string points_to = FileExists(link_path) ? ShortcutTarget(link_path) : std::string();
    if (points_to.empty() || AsciiUpper(points_to) != AsciiUpper(target))
        return true;
    if (DeleteFileA(link_path.c_str()))
        return true;
    LogFailure("DeleteFileA", link_path, GetLastError());
    return false;
}
