#include "test_files.h"

#include "base/module_path.h"
#include "base/unique_handle.h"

#include <windows.h>
#include <shlwapi.h>


std::wstring Wide(const std::string& text)
{
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
    wide.resize(size - 1);
    return wide;
}

std::string ScratchFolder(const std::string& name)
{
    static int counter = 0;
    char temp[MAX_PATH + 1] = "";
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "w32test_" + name + "_"
        + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CopyInto(const std::string& source, const std::string& target)
{
    return CopyFileA(source.c_str(), target.c_str(), FALSE) != FALSE;
}

std::string ReadWhole(const std::wstring& path)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    std::string content;
    char buffer[65536];
    DWORD read = 0;
    while (file && ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    return content;
}

void WriteWhole(const std::string& path, const std::string& content)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.Get(), content.data(), content.size(), &written, nullptr);
}

namespace {

void ReadTreeInto(const std::wstring& root, const std::wstring& relative,
                  std::map<std::wstring, std::string>& tree)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((root + L"\\" + relative + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[relative + name] = "<folder>";
            ReadTreeInto(root, relative + name + L"\\", tree);
        } else {
            tree[relative + name] = ReadWhole(root + L"\\" + relative + name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

} // namespace

std::map<std::wstring, std::string> ReadTree(const std::wstring& root)
{
    std::map<std::wstring, std::string> tree;
    ReadTreeInto(root, L"", tree);
    return tree;
}

std::string TestProgramFolder() { return ModuleFolder() + "\\"; }
