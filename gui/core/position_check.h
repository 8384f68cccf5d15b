#pragma once

#include <optional>
#include <string>

#include "board_setup_codec.h"

// The board setup dialog's check on OK: rules in a fixed order, the first failing one reported.
// Some rules also repair the state they complain about (unchecking castling boxes, resetting the
// en-passant entry); those changes are made to `state`.
std::optional<std::string> checkBoardSetup(BoardSetupState& state);
