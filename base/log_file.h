// The log file in the user's temporary folder, opened once for the whole
// process. The program may run elevated in a folder the user controls, so
// the file is refused when it, or the folder, leads elsewhere: a reparse
// point (a symbolic link or junction), a second name of another file (a
// hard link), or a handle whose final path is not the one asked for.
#pragma once

#include "base/unique_handle.h"

#include <string>

class LogFile {
public:
    // Opens `file_name` in `folder`; Refusal() says why when it is not used.
    LogFile(const std::string& folder, const std::string& file_name);

    bool Usable() const { return mh_file.Valid(); }
    const std::string& Path() const { return ms_path; }
    const std::string& Refusal() const { return ms_refusal; }
    // Appends the bytes; safe from any thread.
    void Append(const std::string& line) const;

private:
    bool HoldFolder(const std::string& folder);
    bool OpenFile();
    bool Refuse(const std::string& why);

    std::string ms_path;
    std::string ms_refusal;
    // Held for the life of the process, without delete sharing, so that the
    // folder checked stays the folder written to.
    FileHandle mh_folder;
    FileHandle mh_file;
};
