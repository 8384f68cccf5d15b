#pragma once

#include "multi_lang.h"

// The word tables of the HTML and RTF options dialogs.
extern const WordTable kHTMLOptionsWords;
extern const WordTable kRTFOptionsWords;

// The font list's only entry when the font file lists no font, in German.
inline constexpr const char* kNoFontsAvailableGerman = "Keine Schachschriften verfügbar";
