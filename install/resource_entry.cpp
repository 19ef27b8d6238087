#include "install/resource_entry.h"

#include "base/device_name.h"
#include "services/text.h"

#include <vector>

namespace {

const char kDefaultDisplayName[] = "Blackjack.wav";

// Splits on both separators Windows accepts in paths.
std::vector<std::string> PathPieces(const std::string& path)
{
    std::string unified = path;
    for (char& c : unified)
        if (c == '/')
            c = '\\';
    std::vector<std::string> pieces;
    Split(pieces, unified, "\\", 0);
    return pieces;
}

// A ".." piece climbs out; a device name writes to a device instead.
bool HasUnsafePiece(const std::string& path)
{
    for (const std::string& piece : PathPieces(path))
        if (piece == ".." || IsDeviceName(piece))
            return true;
    return false;
}

bool IsForbiddenInFileName(unsigned char c)
{
    return c < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '/' || c == '\\'
        || c == '|' || c == '?' || c == '*';
}

} // namespace

bool IsResourceKey(const std::string& key) { return key.compare(0, 4, "URL_") == 0; }

bool ParseResourceEntry(const std::string& key, const std::string& value, ResourceEntry& entry)
{
    if (value.empty())
        return false;
    std::vector<std::string> pieces;
    Split(pieces, key, "#", 0);
    entry.display_name = pieces.size() >= 2 ? pieces[1] : kDefaultDisplayName;
    Split(pieces, value, ",", 0);
    entry.path = pieces[0];
    entry.sub_folder = pieces.size() >= 2 ? pieces[1] : std::string();
    return true;
}

std::string ResourceFileName(const std::string& path)
{
    std::vector<std::string> pieces;
    Split(pieces, path, "/", 0);
    return pieces.empty() ? std::string() : pieces.back();
}

bool IsContainedResource(const ResourceEntry& entry)
{
    const std::string file_name = ResourceFileName(entry.path);
    if (HasUnsafePiece(file_name) || file_name.find(':') != std::string::npos)
        return false;
    const std::string& folder = entry.sub_folder;
    if (!folder.empty() && (folder[0] == '\\' || folder[0] == '/'))
        return false;
    return folder.find(':') == std::string::npos && !HasUnsafePiece(folder);
}

bool IsSafeFolderName(const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || IsDeviceName(name))
        return false;
    for (unsigned char c : name)
        if (IsForbiddenInFileName(c))
            return false;
    return true;
}
