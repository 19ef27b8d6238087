// Every text the player reads, in the 14 languages of the flags: one table,
// each text with its name and its translations side by side, and whether a
// language reads right to left. Texts are UTF-8 here; they become wide text
// at the window's edge (base/player_box). Diagnostics stay English and never
// come from here. Portable, so the table is checked natively.
//
// A text takes its arguments as %1, %2, ... in whatever order its language
// puts them; the English texts are the installer's own, byte for byte once
// filled.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

enum class TextId {
    kCasinoInstallation,
    kBrandInstallation,
    kDownloading,
    kDownloadedFiles,
    kExtracting,
    kContinueQuestion,
    kCancel,
    kYes,
    kNo,
    kOk,
    kRetry,
    kRetriesExhausted,
    kManifestFailed,
    kManifestCanceled,
    kFileFailed,
    kFileCanceled,
    kFileNotWritten,
    kProxyCredentials,
    kChecksumMismatch,
    kNoExtractLibrary,
    kNoExtractFunction,
    kArchiveFailed,
    kDiskSpace,
    kOutOfMemory,
    kClientRunning,
    kClientRunningAbort,
    kPageFailed,
    kUnsafeBrand,
    kUnsafeRegistryEntry,
    kUnsafePath,
    kMalformedChecksum,
    kMalformedSize,
    kMissingChecksum,
    kMissingSize,
    kUnsafeHost,
    kUnsignedManifest,
    kInvalidSignature,
    kOutdatedManifest,
    kExpiredManifest,
    kUninstall,
    kUninstallWrongPlace,
    kUninstallQuestion,
    kUninstallLeft,
    kUninstallNoRecord,
    kFileHeld,
    kFileHeldBy,
    kCount
};

namespace player_texts {

const int kLanguages = 14;
// The language ids of the language table (langId); a language without a
// flag reads English.
const int kEnglish = 0;

struct Language {
    int id;
    bool right_to_left;
};

// The columns of the table, in its order.
extern const Language kLanguageColumns[kLanguages];

} // namespace player_texts

// The text in the language with id `language_id`; English for an id
// without a flag.
const char* PlayerTextUtf8(TextId id, int language_id);
inline const char* EnglishText(TextId id) { return PlayerTextUtf8(id, player_texts::kEnglish); }
bool IsRightToLeft(int language_id);

// The language the player chose (English until then). Set on the window
// thread before the worker is released, and by the uninstaller from the
// install's record.
int PlayerLanguage();
void SetPlayerLanguage(int language_id);

// Puts the arguments in place of %1 to %9; any other "%" stays. A place
// without an argument becomes empty.
std::string FillText(std::string_view pattern, const std::string_view* arguments, size_t count);
inline std::string FillText(std::string_view pattern, std::initializer_list<std::string_view> arguments)
{
    return FillText(pattern, arguments.begin(), arguments.size());
}

// For a text the rules made from an English text with one argument at its
// end (or none): which of `ids` it is and that argument. False when none
// of them made it.
bool ReadEnglishText(std::string_view text, std::initializer_list<TextId> ids, TextId& id, std::string& argument);
