#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "board_setup_codec.h"
#include "prompts.h"

// A panel of the piece palette: its component name and the piece it places.
struct PalettePanel {
    std::string_view component;
    int piece;
};
// Panels 1..12 in palette order (index 0 is panel 1).
const std::array<PalettePanel, 12>& piecePalette();

enum class MouseButton { Left, Right, Middle };

// Opens the opcode editor on an operations text; the new text, or nothing when cancelled.
using OperationsEditor = std::function<std::optional<std::string>(const std::string&)>;

// The board setup dialog without its widgets: it edits one EPD line on a board, with side to
// move, castling rights, en-passant entry and operations, and checks the position on OK. The
// dialog shows state() and the hints and forwards the user's actions.
class BoardSetupEditor {
public:
    BoardSetupEditor(Prompts& prompts, OperationsEditor editOperations, bool checkOff = false);

    // The caller sets the line before showing and reads it after OK.
    void setLine(std::string line) { m_line = std::move(line); }
    const std::string& line() const { return m_line; }
    bool accepted() const { return m_accepted; }
    void setCheckOff(bool off) { m_checkOff = off; }

    BoardSetupState& state() { return m_state; }
    const BoardSetupState& state() const { return m_state; }
    int selectedPanel() const { return m_selectedPanel; }  // 0 for none, else 1..12
    int selectedPiece() const { return m_selectedPiece; }
    const char* diagramHint() const;
    const char* panelHint(int panel) const;

    // Reads the line handed in (empty: an empty board) and clears it.
    void show();
    // Empties the board, deselects the palette, unchecks castling, en passant "none", White.
    void clear();
    void clickPanel(int panel);
    // Mouse down on the board. The diagram's own drag runs afterwards on an occupied square.
    void mouseDown(MouseButton button, Square square);
    // The drag ended: moves the piece unless it would land on a piece of its own colour.
    void dragEnded(Square from, Square to);

    void initialPosition();
    void enterEpdString();
    void clearBoardCommand();
    void editOperations();
    // True when the line is accepted and the dialog may close.
    bool ok();
    void cancel();

private:
    void tell(const std::string& message);

    Prompts& m_prompts;
    OperationsEditor m_editOperations;
    bool m_checkOff;
    std::string m_line;
    bool m_accepted = false;
    BoardSetupState m_state;
    int m_selectedPanel = 0;
    int m_selectedPiece = 0;
};
