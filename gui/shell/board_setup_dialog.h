#pragma once

#include <array>
#include <string>

#include <QColor>
#include <QDialog>
#include <QFrame>

#include "board_setup_editor.h"
#include "services.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QRadioButton;
class TChessDiagram2D;

// A palette panel: a framed piece image that selects its piece when clicked.
class PiecePanel : public QFrame {
    Q_OBJECT

public:
    PiecePanel(const QImage& image, QWidget* parent);
    void setLowered(bool lowered);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The panel that pops the setup menu up where the mouse is released on it.
class MenuPanel : public QFrame {
    Q_OBJECT

public:
    explicit MenuPanel(QWidget* parent);

signals:
    void released(const QPoint& globalPosition);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The board setup dialog: the user places pieces, sets side to move, castling and en passant,
// edits the operations, and gets the EPD line back on OK. The logic is BoardSetupEditor's.
class TBoardSetup : public QDialog {
    Q_OBJECT

public:
    TBoardSetup(Prompts& prompts, bool checkOff, const QColor& darkSquares,
                const QColor& lightSquares, QWidget* parent = nullptr);

    void setLine(std::string line) { m_editor.setLine(std::move(line)); }
    const std::string& line() const { return m_editor.line(); }
    bool accepted() const { return m_editor.accepted(); }

    BoardSetupEditor& editor() { return m_editor; }
    TChessDiagram2D* diagram() const { return m_diagram; }
    QMenu* popupMenu() const { return m_popup; }

    // Reads the line handed in. Runs once for each showing the caller asks for (exec), never
    // again when the window system shows the dialog (a restore after minimising), so the board
    // in progress stays.
    void OnShow();
    int exec() override;

private slots:
    void BtnOKClick();
    void BtnCancelClick();
    void ChessBoardMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void ChessBoardMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

private:
    // Shows the editor's state in the widgets.
    void sync();
    void run(const std::function<void()>& action);

    Prompts& m_prompts;
    BoardSetupEditor m_editor;
    TChessDiagram2D* m_diagram;
    std::array<PiecePanel*, 12> m_panels{};
    QRadioButton* m_white;
    QRadioButton* m_black;
    QCheckBox* m_whiteShort;
    QCheckBox* m_whiteLong;
    QCheckBox* m_blackShort;
    QCheckBox* m_blackLong;
    QComboBox* m_enPassant;
    QLabel* m_counters;
    QMenu* m_popup;
    bool m_syncing = false;
};

// Opens the board setup dialog for the document's New line and Edit line.
class BoardSetupLineEditor : public LineEditor {
public:
    BoardSetupLineEditor(Prompts& prompts, QWidget* parent, const TChessDiagram2D* mainDiagram)
        : m_prompts(prompts), m_parent(parent), m_mainDiagram(mainDiagram) {}
    void setCheckOff(bool off) { m_checkOff = off; }
    std::optional<std::string> editLine(const std::string& line) override;

private:
    Prompts& m_prompts;
    QWidget* m_parent;
    const TChessDiagram2D* m_mainDiagram;
    bool m_checkOff = false;
};
