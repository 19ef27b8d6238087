// Files are placed as every file of the installation is: written whole under
// the staged name NAME.part beside the target, then moved onto it, so that
// the target is either the old file or the complete new one.
#pragma once

#include <string>

// Moves the complete staged file `part` onto `target`, replacing it. A
// read-only, hidden or system target (archives mark their files so, and a
// move may not replace those) loses those attributes and is replaced all the
// same, or keeps them when it stays. False when it stays (logged).
bool MoveIntoPlace(const std::string& part, const std::string& target);

enum class Placement {
    kPlaced, // the staged file is the target now
    kHeld,   // another program holds the target still; the staged file stays
    kFailed, // the move failed otherwise (logged); the staged file stays
};

// MoveIntoPlace for a file that another program may hold open (a scanner
// looking at a new file, a player's game with a file open): while the move
// fails on a sharing violation, or is denied on a target that is not
// read-only, it is tried again with growing pauses, kLeastHeldWaitMs in all.
const unsigned kLeastHeldWaitMs = 10000;
Placement MoveIntoPlaceWhenFree(const std::string& part, const std::string& target);

// Places `text` as the file `path`; false when it could not (logged, and
// nothing staged is left behind).
bool PlaceText(const std::string& path, const std::string& text);

// Places a copy of the file `source` as `target`; false as PlaceText.
bool PlaceCopy(const std::string& source, const std::string& target);
