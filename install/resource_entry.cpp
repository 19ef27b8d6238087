#include "install/resource_entry.h"

#include "base/device_name.h"
#include "base/path_rules.h"
#include "base/player_texts.h"
#include "base/staging_names.h"
#include "services/text.h"

#include <type_traits>
#include <vector>

namespace {

const char kDefaultDisplayName[] = "Blackjack.wav";
const char kHashPrefix[] = "sha256:";
const size_t kHashDigits = 64;
const char kSizePrefix[] = "size:";
// 2^63 - 1 has 19 digits.
const size_t kMostSizeDigits = 19;

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

char LowerHexDigit(char c) { return c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c; }

template <typename Char>
bool IsForbiddenInFileName(Char c)
{
    const unsigned code = static_cast<std::make_unsigned_t<Char>>(c);
    return code < 0x20 || code == '<' || code == '>' || code == ':' || code == '"' || code == '/' || code == '\\'
        || code == '|' || code == '?' || code == '*';
}

// The file name is joined to the folder with a "\\" of its own, so a leading
// separator stays inside.
bool IsContainedFileName(std::string_view name, const NarrowNames& names)
{
    return !name.empty() && !staging::IsTemporaryName(name)
        && IsSafeAsOpened(name, names, [](auto text, auto is_device) {
               return !path_rules::HasColon(text) && !path_rules::HasUnsafePiece(text, is_device);
           });
}

bool IsContainedFolder(std::string_view folder, const NarrowNames& names)
{
    return IsSafeAsOpened(folder, names,
                          [](auto text, auto is_device) { return path_rules::IsContainedPath(text, is_device); });
}

} // namespace

std::string MissingChecksumRefusal(const ResourceEntry& entry, const std::string& value)
{
    return entry.hash == HashPiece::kAbsent ? FillText(EnglishText(TextId::kMissingChecksum), {value}) : std::string();
}

bool IsResourceKey(const std::string& key) { return key.compare(0, 4, "URL_") == 0; }

HashPiece ReadHashPiece(const std::string& piece, std::string& sha256)
{
    sha256.clear();
    const size_t prefix_length = sizeof kHashPrefix - 1;
    if (piece.compare(0, prefix_length, kHashPrefix) != 0)
        return HashPiece::kAbsent;
    if (piece.size() != prefix_length + kHashDigits)
        return HashPiece::kMalformed;
    for (size_t i = prefix_length; i < piece.size(); ++i) {
        if (!IsHexDigit(piece[i])) {
            sha256.clear();
            return HashPiece::kMalformed;
        }
        sha256 += LowerHexDigit(piece[i]);
    }
    return HashPiece::kSha256;
}

SizePiece ReadSizePiece(const std::string& piece, std::int64_t& size)
{
    size = -1;
    const size_t prefix_length = sizeof kSizePrefix - 1;
    if (piece.compare(0, prefix_length, kSizePrefix) != 0)
        return SizePiece::kAbsent;
    const std::string digits = piece.substr(prefix_length);
    if (digits.empty() || digits.size() > kMostSizeDigits)
        return SizePiece::kMalformed;
    std::uint64_t number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return SizePiece::kMalformed;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (number > static_cast<std::uint64_t>(INT64_MAX))
        return SizePiece::kMalformed;
    size = static_cast<std::int64_t>(number);
    return SizePiece::kBytes;
}

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
    entry.hash = pieces.size() >= 3 ? ReadHashPiece(pieces[2], entry.sha256) : HashPiece::kAbsent;
    if (entry.hash == HashPiece::kAbsent)
        entry.sha256.clear();
    entry.size_piece = pieces.size() >= 4 ? ReadSizePiece(pieces[3], entry.size) : SizePiece::kAbsent;
    if (entry.size_piece == SizePiece::kAbsent)
        entry.size = -1;
    return true;
}

std::string ResourceFileName(const std::string& path)
{
    std::vector<std::string> pieces;
    Split(pieces, path, "/", 0);
    return pieces.empty() ? std::string() : pieces.back();
}

std::string ResourceFilePath(const std::string& install_dir, const ResourceEntry& entry)
{
    const std::string folder = entry.sub_folder.empty() ? install_dir : install_dir + "\\" + entry.sub_folder;
    return folder + "\\" + ResourceFileName(entry.path);
}

bool IsContainedResource(const ResourceEntry& entry, const NarrowNames& names)
{
    // The system's narrow functions stop at a NUL: "aux\0.wav" would be
    // fetched and written as "aux".
    if (HasControlByte(entry.path) || HasControlByte(entry.sub_folder))
        return false;
    return IsContainedFileName(ResourceFileName(entry.path), names) && IsContainedFolder(entry.sub_folder, names);
}

bool IsSafeFolderName(const std::string& name, const NarrowNames& names)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return IsSafeAsOpened(name, names, [](auto text, auto is_device) {
        for (auto c : text)
            if (IsForbiddenInFileName(c))
                return false;
        return !is_device(text);
    });
}
