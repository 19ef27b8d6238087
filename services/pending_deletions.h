// The deletions the system carries out at the next restart: the pairs of
// HKLM\SYSTEM\CurrentControlSet\Control\Session Manager, value
// PendingFileRenameOperations, where a deletion is a path ("\??\C:\...")
// followed by an empty one. MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT adds
// them; an install in a folder an uninstall left takes out those that would
// delete what it places.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The paths pending deletion, as plain paths ("C:\..."); empty when there
// are none or the value cannot be read.
std::vector<std::string> PendingDeletions();

// Takes out every pending deletion whose plain path `placed` accepts, keeping
// every other pair as it was. False when the value could not be written
// (logged).
bool CancelPendingDeletions(const std::function<bool(const std::string& path)>& placed);
