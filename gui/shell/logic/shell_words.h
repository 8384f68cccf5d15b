#pragma once

#include <string>
#include <string_view>

#include "multi_lang.h"

// The word tables of the opcode editor, the board setup dialog, the web information box, the
// program's own open-file and folder dialogs and the help window.
extern const WordTable kOpcodeSetupWords;
extern const WordTable kBoardSetupWords;
extern const WordTable kWebBoxWords;
extern const WordTable kMyOpenDialogWords;
extern const WordTable kMySelDirDialogWords;
extern const WordTable kHelpWindowWords;

// Texts these windows set while they run (hints that follow the state, default texts, pages
// shown on request), in both languages. Rows are looked up by their key or by their English
// text; they are never applied by a window's language component.
extern const WordTable kBoardSetupTexts;
extern const WordTable kFileDialogTexts;
extern const WordTable kHelpWindowTexts;

// The text of the row with that key in a column (0 German, 1 English), the English one when the
// German is empty; empty when no row has the key.
std::string wordOf(const WordTable& texts, std::string_view key, int column);
// An English text in a column: the German of the row with that English text in column 0, the
// text itself otherwise (also when no row has it).
std::string translated(const WordTable& texts, std::string_view english, int column);
