// The process-wide values of one run: built in, read from the installer's
// settings by the run, and langId written by the dialog.
#pragma once

extern int did;         // distributor id
extern int tag;
extern int langId;      // 0 until a language is chosen
extern int debug_level; // gates the diagnostic message boxes

// The installer's own settings key under HKCU\Software: the seeded values
// and the signed manifests' rollback floor.
const char kSettingsKey[] = "InstallKVO";
