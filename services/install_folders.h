// The install folder under Program Files, and the sub-folder chains below it.
#pragma once

#include <string>

// Program Files + "\" + `folder_name`, as MakeInstallDirectory makes it,
// without creating anything.
std::string InstallDirectory(const std::string& folder_name);

// InstallDirectory(`folder_name`) into `install_dir`, creating Program
// Files (when missing) and that one last level. Failures surface later, when
// the folder is used.
void MakeInstallDirectory(const std::string& folder_name, std::string& install_dir);

// The shell's path of a special folder (a CSIDL_ value, named in the log by
// `csidl_name`), or the empty text when it has none.
std::string ShellFolder(int csidl, const char* csidl_name);

// The Program Files folder as the shell reports it (empty when it cannot),
// made usable: the fallback "c:\Program Files" for an empty answer, and no
// trailing "\".
std::string UsableProgramFilesFolder(const std::string& reported);

bool DirectoryExists(const char* path);

// Creates base\a, base\a\b, ... for the "\"-separated `relative_path`;
// existing folders are no error. `base` itself must exist.
void CreateDirectories(const std::string& base, const std::string& relative_path);
