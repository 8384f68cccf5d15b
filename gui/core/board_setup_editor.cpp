#include "board_setup_editor.h"

#include "position_check.h"

const std::array<PalettePanel, 12>& piecePalette() {
    static constexpr std::array<PalettePanel, 12> panels = {{
        {"PanelWK", Piece::WhiteKing},
        {"PanelWQ", Piece::WhiteQueen},
        {"PanelWR", Piece::WhiteRook},
        {"PanelWB", Piece::WhiteBishop},
        {"PanelWN", Piece::WhiteKnight},
        {"PanelWP", Piece::WhitePawn},
        {"PanelBK", Piece::BlackKing},
        {"PanelBQ", Piece::BlackQueen},
        {"PanelBR", Piece::BlackRook},
        {"PanelBB", Piece::BlackBishop},
        {"PanelBN", Piece::BlackKnight},
        {"PanelBP", Piece::BlackPawn},
    }};
    return panels;
}

BoardSetupEditor::BoardSetupEditor(Prompts& prompts, OperationsEditor editOperations, bool checkOff)
    : m_prompts(prompts), m_editOperations(std::move(editOperations)), m_checkOff(checkOff) {
    clear();
}

void BoardSetupEditor::tell(const std::string& message) {
    m_prompts.message(kCaption, message, Icon::Error);
}

const char* BoardSetupEditor::diagramHint() const {
    return m_selectedPanel == 0 ? "Move pieces by mouse dragging"
                                : "Position pieces by mouse clicking";
}

const char* BoardSetupEditor::panelHint(int panel) const {
    return panel == m_selectedPanel ? "Click to deselect piece" : "Click to select piece";
}

void BoardSetupEditor::clear() {
    m_state.clearBoard();
    m_selectedPanel = 0;
    m_selectedPiece = 0;
    m_state.whiteKingside = m_state.whiteQueenside = false;
    m_state.blackKingside = m_state.blackQueenside = false;
    m_state.enPassantIndex = 0;
    m_state.whiteToMove = true;
    m_state.moveCounters.clear();
}

void BoardSetupEditor::show() {
    clear();
    m_state.operations.clear();
    m_accepted = false;
    if (!m_line.empty()) {
        const auto read = readBoardSetupLine(m_line, m_state);
        // The reader's messages end with "Error in EPD description".
        for (const auto& message : read.messages)
            tell(message);
        if (!read.ok) clear();
    }
    m_line.clear();
}

void BoardSetupEditor::clickPanel(int panel) {
    if (panel < 1 || panel > 12) return;
    if (panel != m_selectedPanel) {
        m_selectedPanel = panel;
        m_selectedPiece = piecePalette()[static_cast<std::size_t>(panel - 1)].piece;
    } else {
        m_selectedPanel = 0;
        m_selectedPiece = 0;
    }
}

void BoardSetupEditor::mouseDown(MouseButton button, Square square) {
    if (isEdgeSquare(square)) return;
    if (button == MouseButton::Right) {
        m_state.board.PutPieceOnSquare(Piece::Empty, square);
    } else if (m_selectedPiece != 0) {
        m_state.board.PutPieceOnSquare(m_selectedPiece, square);
    }
}

void BoardSetupEditor::dragEnded(Square from, Square to) {
    if (isEdgeSquare(from) || isEdgeSquare(to)) return;
    const int piece = m_state.board.PieceOnSquare(from);
    const int target = m_state.board.PieceOnSquare(to);
    const bool sameColour = (isWhitePiece(piece) && isWhitePiece(target)) ||
                            (isBlackPiece(piece) && isBlackPiece(target));
    // With a palette piece selected a drop is never refused.
    if (sameColour && m_selectedPiece == 0) return;
    m_state.board.PutPieceOnSquare(Piece::Empty, from);
    m_state.board.PutPieceOnSquare(piece, to);
}

void BoardSetupEditor::initialPosition() {
    m_line = std::string(kInitialPositionLine);
    show();
}

void BoardSetupEditor::enterEpdString() {
    const auto answer = m_prompts.inputBox("Brisvane: EPD input", "Enter EPD string", "");
    if (!answer || answer->empty()) return;
    m_line = *answer;
    show();
}

void BoardSetupEditor::clearBoardCommand() {
    clear();
    m_line.clear();
    m_state.operations.clear();
}

void BoardSetupEditor::editOperations() {
    if (!m_editOperations) return;
    if (auto edited = m_editOperations(m_state.operations)) m_state.operations = std::move(*edited);
}

bool BoardSetupEditor::ok() {
    if (!m_checkOff) {
        if (const auto failure = checkBoardSetup(m_state)) {
            tell(*failure);
            m_selectedPanel = 0;
            m_selectedPiece = 0;
            return false;
        }
    }
    m_accepted = true;
    std::vector<std::string> messages;
    m_line = generateBoardSetupLine(m_state, &messages);
    for (const auto& message : messages)
        tell(message);
    return true;
}

void BoardSetupEditor::cancel() {
    m_accepted = false;
    m_line.clear();
}
