// The uninstall record, "uninstall.ini" in the install folder: whether this
// installer created the folder (it did not exist before the first run) and
// every file it placed there, as paths relative to the folder:
//
//   [UNINSTALL]
//   CREATED=1
//   KEY_EXISTED=0
//   ENTRY=1
//   [VALUES]
//   VALUE_1=Settings/volume
//   [FILES]
//   FILE_1=casino.exe
//   FILE_2=Games\roulette.dll
//
// CREATED is 1 or 0; KEY_EXISTED says whether HKCU\Software\<brand> was
// there before the first install, ENTRY whether the installer wrote the
// uninstall entry. A record of an earlier version has neither: the key then
// counts as there before (only the installer's own values go) and the entry
// is judged by its command alone. The VALUE_ keys are the manifest's REG
// entries ("[sub-key/]name") written into the brand's key; the FILE_ and
// VALUE_ keys are numbered from 1, in no order that matters. Portable, so
// the grammar is tested natively.
#pragma once

#include "base/uninstall_names.h"

#include <set>
#include <string>
#include <vector>

class IniFile;

namespace uninstall_record {

// Beside the client in the install folder; a manifest may not place a file
// of its own under either name there.
using uninstall_names::kRecordName;
using uninstall_names::kUninstallerName;

} // namespace uninstall_record

struct UninstallRecord {
    bool created = false;
    // HKCU\Software\<brand> was there before the first install: only the
    // values written go, never the key.
    bool key_existed = true;
    // The installer wrote the uninstall entry (UNINSTALL_ENTRY was not 0).
    bool entry = true;
    // The manifest's REG entries written into the brand's key, each once.
    std::vector<std::string> values;
    // Relative to the install folder, "\"-separated, each once.
    std::vector<std::string> files;
    // The files' spellings in capitals, which keep them once each: a record
    // of many lines is read without comparing each with all before it.
    std::set<std::string> upper_files;
    // Listed paths the rules refuse (see IsRemovableRecordedPath), kept out
    // of `files` and never written again.
    std::vector<std::string> refused;
};

// False when the text is no record (no [UNINSTALL] CREATED of 0 or 1): the
// uninstaller then trusts nothing of it.
bool ParseUninstallRecord(const std::string& text, UninstallRecord& record);

std::string FormatUninstallRecord(const UninstallRecord& record);

// Adds a file in its plain spelling ("\" between pieces, no empty or "."
// pieces) unless the record lists it already (compared without letter case,
// as Windows compares names); a path the rules refuse goes to `refused`.
void AddRecordedFile(UninstallRecord& record, const std::string& relative_path);

// True when the record lists the file, however its separators and letter
// case go.
bool IsRecordedFile(const UninstallRecord& record, const std::string& relative_path);

// Adds a REG entry's key ("[sub-key/]name") unless the record lists it
// already (registry names are compared exactly as written); an empty one or
// one with a control byte is not recorded.
void AddRecordedValue(UninstallRecord& record, const std::string& entry_key);

// The relative path of each URL_ entry's file, as the installer places it
// (sub-folder and file name); archives count as their own file, not as
// what they unpack.
std::vector<std::string> PlacedFiles(const IniFile& manifest);

// True when a recorded path may be deleted below the install folder: not
// empty, not rooted, no ":", no ".." or device name, no control byte (a NUL
// would end the name the system sees early), and neither the record
// nor the uninstaller itself, which the uninstaller handles apart.
bool IsRemovableRecordedPath(const std::string& relative_path);

// True when a path relative to the install folder names the uninstaller or
// the record in the folder itself, however its separators and "." pieces go.
bool IsUninstallPlace(const std::string& relative_path);

// True when the path's first piece holds "~" and a digit: at the top of the
// install folder it may be the 8.3 name of the uninstaller or the record.
bool StartsWithShortName(const std::string& relative_path);

// True for the uninstaller's or the record's name (in any letter case).
bool IsUninstallFileName(const std::string& file_name);
