#pragma once

#include "multi_lang.h"

// The word tables of the analysis windows: the analysis options, the EPD file analysis window,
// the engine running window, the time input, the log viewer and the engine information.
extern const WordTable kAnalyseOptsWords;
extern const WordTable kFormEngAnaWords;
extern const WordTable kFormVanEngWords;
extern const WordTable kFormTimeInputWords;
extern const WordTable kShowLogWords;
extern const WordTable kFormVEinfoWords;

// Texts the analysis windows and their logic set while they run (captions that follow the
// state, hints, file selector titles and filters, query texts, memo lines), in both languages.
// Rows are looked up by their key or by their English text (wordOf and translated of
// shell_words.h); no language component applies them.
extern const WordTable kAnalysisTexts;
