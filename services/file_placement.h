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

// Places `text` as the file `path`; false when it could not (logged, and
// nothing staged is left behind).
bool PlaceText(const std::string& path, const std::string& text);

// Places a copy of the file `source` as `target`; false as PlaceText.
bool PlaceCopy(const std::string& source, const std::string& target);
