#include "board_setup_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include "chess_diagram.h"
#include "command_guard.h"
#include "multi_lang.h"
#include "opcode_dialog.h"
#include "qt_multilang.h"
#include "shell_words.h"

namespace {

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A text the dialog sets while it runs, in the program's language.
QString shown(std::string_view english) {
    return QString::fromStdString(translated(kBoardSetupTexts, english, currentLanguageColumn()));
}

MouseButton buttonOf(Qt::MouseButton button) {
    if (button == Qt::RightButton) return MouseButton::Right;
    if (button == Qt::MiddleButton) return MouseButton::Middle;
    return MouseButton::Left;
}

}  // namespace

PiecePanel::PiecePanel(const QImage& image, QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Panel);
    setLowered(false);
    setFocusPolicy(Qt::NoFocus);
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap::fromImage(image));
    picture->setGeometry(3, 3, image.width(), image.height());
    // Clicks on the image select the panel too.
    picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(image.width() + 6, image.height() + 6);
}

void PiecePanel::setLowered(bool lowered) {
    setFrameShadow(lowered ? QFrame::Sunken : QFrame::Raised);
    setLineWidth(lowered ? 2 : 1);
}

void PiecePanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit clicked();
}

MenuPanel::MenuPanel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    auto* caption = new QLabel(QStringLiteral("Menue"), this);
    caption->setObjectName(QStringLiteral("LblMenue"));
    caption->setAlignment(Qt::AlignCenter);
    caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    caption->setGeometry(0, 0, 120, 28);
    setFixedSize(120, 28);
}

void MenuPanel::mouseReleaseEvent(QMouseEvent* event) {
    emit released(event->globalPosition().toPoint());
}

TBoardSetup::TBoardSetup(Prompts& prompts, bool checkOff, const QColor& darkSquares,
                         const QColor& lightSquares, QWidget* parent)
    : QDialog(parent),
      m_prompts(prompts),
      m_editor(
          prompts,
          [this](const std::string& operations) {
              return TOpcodeSetup::edit(m_prompts, operations, this);
          },
          checkOff) {
    setObjectName(QStringLiteral("BoardSetup"));
    setWindowTitle(QStringLiteral("Brisvane: Board Setup Editor"));

    m_diagram = new TChessDiagram2D(this);
    m_diagram->setObjectName(QStringLiteral("ChessBoard"));
    m_diagram->move(8, 8);
    m_diagram->SetDarkSquareColor(darkSquares);
    m_diagram->SetLightSquareColor(lightSquares);
    connect(m_diagram, &TChessDiagram::OnMouseDown, this, &TBoardSetup::ChessBoardMouseDown);
    connect(m_diagram, &TChessDiagram::OnMouseUp, this, &TBoardSetup::ChessBoardMouseUp);

    constexpr int right = 8 + 304 + 12;
    const QColor paletteBackground = palette().color(QPalette::Window);
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        const PalettePanel& entry = piecePalette()[i];
        auto* panel = new PiecePanel(m_diagram->pieceOn(entry.piece, paletteBackground), this);
        panel->setObjectName(latin1(entry.component));
        panel->move(right + static_cast<int>(i % 6) * 46, 8 + static_cast<int>(i / 6) * 46);
        const int number = static_cast<int>(i) + 1;
        connect(panel, &PiecePanel::clicked, this,
                [this, number] { run([this, number] { m_editor.clickPanel(number); }); });
        m_panels[i] = panel;
    }

    auto* moveRight = new QGroupBox(QStringLiteral("Move right"), this);
    moveRight->setObjectName(QStringLiteral("GroupBoxMoveRight"));
    moveRight->setGeometry(right, 104, 130, 76);
    m_white = new QRadioButton(QStringLiteral("White"), moveRight);
    m_white->setObjectName(QStringLiteral("RBwhite"));
    m_white->setGeometry(10, 22, 110, 22);
    m_black = new QRadioButton(QStringLiteral("Black"), moveRight);
    m_black->setObjectName(QStringLiteral("RBblack"));
    m_black->setGeometry(10, 46, 110, 22);
    for (QRadioButton* radio : {m_white, m_black}) {
        radio->setFocusPolicy(Qt::NoFocus);
        connect(radio, &QRadioButton::toggled, this, [this] {
            if (!m_syncing) m_editor.state().whiteToMove = m_white->isChecked();
        });
    }

    auto* castling = new QGroupBox(QStringLiteral("Castling rights"), this);
    castling->setObjectName(QStringLiteral("GroupBoxCastling"));
    castling->setGeometry(right + 140, 104, 136, 76);
    auto makeBox = [&](const char* name, const QString& caption, int x, int y,
                       bool BoardSetupState::*flag) {
        auto* box = new QCheckBox(caption, castling);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(x, y, 66, 22);
        connect(box, &QCheckBox::toggled, this, [this, flag](bool on) {
            if (!m_syncing) m_editor.state().*flag = on;
        });
        return box;
    };
    auto* whiteLabel = new QLabel(QStringLiteral("White"), castling);
    whiteLabel->setObjectName(QStringLiteral("LblCastleWhite"));
    whiteLabel->setGeometry(8, 20, 60, 18);
    auto* blackLabel = new QLabel(QStringLiteral("Black"), castling);
    blackLabel->setObjectName(QStringLiteral("LblCastleBlack"));
    blackLabel->setGeometry(72, 20, 60, 18);
    m_whiteShort = makeBox("CBWoo", QStringLiteral("O-O"), 6, 36, &BoardSetupState::whiteKingside);
    m_whiteLong =
        makeBox("CBWooo", QStringLiteral("O-O-O"), 6, 54, &BoardSetupState::whiteQueenside);
    m_blackShort = makeBox("CBBoo", QStringLiteral("O-O"), 70, 36, &BoardSetupState::blackKingside);
    m_blackLong =
        makeBox("CBBooo", QStringLiteral("O-O-O"), 70, 54, &BoardSetupState::blackQueenside);

    auto* epLabel = new QLabel(QStringLiteral("Select ep field"), this);
    epLabel->setObjectName(QStringLiteral("LblEpField"));
    epLabel->setGeometry(right, 190, 130, 24);
    m_enPassant = new QComboBox(this);
    m_enPassant->setObjectName(QStringLiteral("EPfieldSelect"));
    for (int entry = 0; entry < kEnPassantEntries; ++entry)
        m_enPassant->addItem(QString::fromStdString(enPassantEntryText(entry)));
    m_enPassant->setGeometry(right + 140, 190, 80, 24);
    connect(m_enPassant, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_syncing) m_editor.state().enPassantIndex = index;
    });

    m_counters = new QLabel(this);
    m_counters->setObjectName(QStringLiteral("LblCounters"));
    m_counters->setToolTip(
        QStringLiteral("half-move clock and move number of the line, kept as they stand"));
    m_counters->setGeometry(right + 130, 228, 146, 28);

    auto* menuPanel = new MenuPanel(this);
    menuPanel->setObjectName(QStringLiteral("MenuePanel"));
    menuPanel->setToolTip(QStringLiteral("Click to popup menue"));
    menuPanel->move(right, 228);
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    auto addItem = [this](const char* name, const QString& caption, std::function<void()> action) {
        QAction* item = m_popup->addAction(caption);
        item->setObjectName(QString::fromLatin1(name));
        connect(item, &QAction::triggered, this,
                [this, action = std::move(action)] { run(action); });
    };
    addItem("piInitial", QStringLiteral("&Initial position"),
            [this] { m_editor.initialPosition(); });
    addItem("piClear", QStringLiteral("&Clear board"), [this] { m_editor.clearBoardCommand(); });
    addItem("piEnterEPD", QStringLiteral("Enter &EPD string"),
            [this] { m_editor.enterEpdString(); });
    addItem("piEnterEPDopcodes", QStringLiteral("EPD &opcodes"),
            [this] { m_editor.editOperations(); });
    connect(menuPanel, &MenuPanel::released, this,
            [this](const QPoint& at) { m_popup->popup(at); });

    auto* deleteHint = new QLabel(
        QStringLiteral("Delete a piece by clicking on piece with right mouse button"), this);
    deleteHint->setObjectName(QStringLiteral("LblDeleteHint"));
    deleteHint->setGeometry(8, 8 + 304 + 6, 420, 20);

    auto* opcodes = new QPushButton(QStringLiteral("&EPD opcodes"), this);
    opcodes->setObjectName(QStringLiteral("BtnEpdOpcode"));
    opcodes->setGeometry(right, 270, 120, 30);
    connect(opcodes, &QPushButton::clicked, this,
            [this] { run([this] { m_editor.editOperations(); }); });
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("BtnOK"));
    ok->setToolTip(QStringLiteral("Save setup"));
    ok->setDefault(true);
    ok->setGeometry(right + 136, 270, 68, 30);
    connect(ok, &QPushButton::clicked, this, &TBoardSetup::BtnOKClick);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("BtnCancel"));
    cancel->setToolTip(QStringLiteral("Discard setup"));
    cancel->setGeometry(right + 208, 270, 68, 30);
    connect(cancel, &QPushButton::clicked, this, &TBoardSetup::BtnCancelClick);

    setFixedSize(right + 6 * 46 + 8, 8 + 304 + 34);
    // The hints and the counters follow the state: shown again in the new language.
    auto* words = new TMultiLang(this, kBoardSetupWords);
    words->language().AfterLanguageChanged = [this](int) { sync(); };
    sync();
}

void TBoardSetup::run(const std::function<void()>& action) {
    runGuarded(m_prompts, action);
    sync();
}

void TBoardSetup::sync() {
    m_syncing = true;
    const BoardSetupState& state = m_editor.state();
    if (!(m_diagram->position() == state.board)) m_diagram->showPosition(state.board);
    m_diagram->setToolTip(shown(m_editor.diagramHint()));
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        m_panels[i]->setLowered(number == m_editor.selectedPanel());
        m_panels[i]->setToolTip(shown(m_editor.panelHint(number)));
    }
    m_white->setChecked(state.whiteToMove);
    m_black->setChecked(!state.whiteToMove);
    m_whiteShort->setChecked(state.whiteKingside);
    m_whiteLong->setChecked(state.whiteQueenside);
    m_blackShort->setChecked(state.blackKingside);
    m_blackLong->setChecked(state.blackQueenside);
    m_enPassant->setCurrentIndex(state.enPassantIndex);
    m_counters->setText(state.moveCounters.empty()
                            ? QString()
                            : shown("Move counters: ") +
                                  QString::fromStdString(state.moveCounters));
    m_syncing = false;
}

void TBoardSetup::OnShow() {
    run([this] { m_editor.show(); });
}

int TBoardSetup::exec() {
    OnShow();
    return QDialog::exec();
}

void TBoardSetup::ChessBoardMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    // The board shows the change before the diagram decides whether a drag starts.
    run([&] { m_editor.mouseDown(buttonOf(button), m_diagram->SquareAt(x, y)); });
}

void TBoardSetup::ChessBoardMouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    const DragRecord drag = m_diagram->GetLastDrag();
    run([&] { m_editor.dragEnded(drag.from, drag.to); });
    // The square a refused piece came from shows it again.
    m_diagram->RedrawSquare(drag.from);
}

void TBoardSetup::BtnOKClick() {
    bool done = false;
    run([&] { done = m_editor.ok(); });
    if (done) accept();
}

void TBoardSetup::BtnCancelClick() {
    m_editor.cancel();
    reject();
}

std::optional<std::string> BoardSetupLineEditor::editLine(const std::string& line) {
    TBoardSetup dialog(m_prompts, m_checkOff, m_mainDiagram->DarkSquareColor(),
                       m_mainDiagram->LightSquareColor(), m_parent);
    dialog.setLine(line);
    dialog.exec();
    if (!dialog.accepted()) return std::nullopt;
    return dialog.line();
}
