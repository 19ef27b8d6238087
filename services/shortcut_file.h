// Shell shortcuts (.lnk files) through the shell's IShellLink. COM must be
// initialised on the calling thread.
#pragma once

#include <string>

// Writes the shortcut `link_path` to `target`, with `working_dir` as its
// working folder and the target's first icon, replacing a shortcut there.
// False when it could not be written (logged).
bool WriteShortcut(const std::string& link_path, const std::string& target, const std::string& working_dir);

// The path a shortcut points to as it was stored, or the empty text when the
// file is missing or no shortcut (logged, but for a missing file).
std::string ShortcutTarget(const std::string& link_path);

// Deletes the shortcut `link_path` when it points to `target` (compared
// without letter case): only a shortcut of ours goes. False when one of
// ours remains (logged).
bool RemoveShortcutTo(const std::string& link_path, const std::string& target);
