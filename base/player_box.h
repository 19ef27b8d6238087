// The player's texts at the window's edge: filled in the chosen language and
// handed to the window as wide text, so that they show whatever the system's
// ANSI code page; and the message boxes that carry them, owned by the
// installer window, read right to left for a right-to-left language, with
// their buttons named in the chosen language.
#pragma once

#include "base/narrow_names.h"
#include "base/player_texts.h"

#include <windows.h>

#include <initializer_list>
#include <string>

// Zero-terminated wide texts. `arguments` are texts in the system's code
// page (a brand, a file's display name, a path), as the manifest gave them.
WideText PlayerText(TextId id, std::initializer_list<std::string> arguments = {});
WideText AnsiToWide(const std::string& text);

// A box with the player's text (zero-terminated): empty caption and OK
// only, or the caption and the buttons and icon of `type` (MB_ flags). Returns the button pressed
// (IDOK, IDYES, ...) as MessageBoxW does.
int ShowPlayerMessage(TextId id, std::initializer_list<std::string> arguments = {});
int ShowPlayerMessage(const WideText& text);
// An empty `caption` shows none.
int ShowPlayerMessage(const WideText& text, const WideText& caption, UINT type);
