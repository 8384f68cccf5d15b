#pragma once

#include "multi_lang.h"

// The word tables of the main window and the general options dialog.
extern const WordTable kMainFormWords;
extern const WordTable kGeneralOptWords;
