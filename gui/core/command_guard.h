#pragma once

#include <functional>

#include "prompts.h"

// Runs one command. An exception that escapes it is shown in an error box captioned
// "Brisvane" with the exception's message, and the program goes on. Returns false then.
bool runGuarded(Prompts& prompts, const std::function<void()>& command);
