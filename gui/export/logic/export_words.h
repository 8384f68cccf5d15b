#pragma once

#include "multi_lang.h"

// The word tables of the HTML and RTF options dialogs.
extern const WordTable kHTMLOptionsWords;
extern const WordTable kRTFOptionsWords;
