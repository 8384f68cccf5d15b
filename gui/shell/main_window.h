#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractListModel>
#include <QMainWindow>

#include "app_folders.h"
#include "epd_document.h"

class QAction;
class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;
class TChessDiagram2D;
class TFormProgress;
class BoardSetupLineEditor;

// The document's lines as a list model: rows are read from the document when they are shown,
// so no item object exists per line. It also forwards the document's other notices.
class EpdLineModel : public QAbstractListModel, public DocumentObserver {
    Q_OBJECT

public:
    explicit EpdLineModel(const EpdDocument& document, QObject* parent = nullptr)
        : QAbstractListModel(parent), m_document(document) {}

    std::function<void()> onDisplayChanged;
    std::function<void()> onFocusList;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void beginResetLines() override { beginResetModel(); }
    void endResetLines() override { endResetModel(); }
    void beginInsertLines(std::size_t first, std::size_t count) override;
    void endInsertLines() override { endInsertRows(); }
    void beginRemoveLines(std::size_t first, std::size_t count) override;
    void endRemoveLines() override { endRemoveRows(); }
    void linesChanged(std::size_t first, std::size_t last) override;
    void displayChanged() override;
    void focusLineList() override;

private:
    const EpdDocument& m_document;
};

// What the main window is built with. Tests pass a scripted stand-in for the user and the
// clipboard; the program passes nothing and gets message boxes and the system clipboard.
struct MainFormSetup {
    AppFolders folders;
    SettingsStore* settings = nullptr;
    int undoBufferSize = 100;
    Prompts* prompts = nullptr;
    ClipboardAccess* clipboard = nullptr;
    std::string fileToOpen;  // opened when the window is first shown
    // Shown when the window is first shown, before the file is opened (arguments not used).
    std::vector<std::string> startMessages;
    QString pieceImagePrefix = QStringLiteral(":/pieces/PIECE");
    bool boardSetupNoCheck = false;  // OK in the board setup dialog skips the position check
};

// The main window: tool bar, menus, diagram, line list, index label and current-line field.
// It shows the document's state and hands every command to the document.
class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TMainForm(MainFormSetup setup, QWidget* parent = nullptr);
    ~TMainForm() override;

    EpdDocument& document() { return *m_document; }
    TChessDiagram2D* diagram() const { return m_diagram; }
    TFormProgress* progressWindow() const { return m_progress; }
    QAction* action(const QString& name) const;
    Prompts& prompts() { return *m_prompts; }
    // Set when the window could not be built as it must be (a piece image is missing): the
    // program then ends after the messages.
    bool quitRequested() const { return m_quitRequested; }

    // Runs a command inside the guard that turns an escaping exception into an error box.
    void runCommand(const std::function<void()>& command);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void ChessBoardMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

private:
    void buildMenus();
    void buildToolBar();
    QAction* addCommand(QMenu* menu, const char* name, const QString& caption,
                        const QKeySequence& shortcut, std::function<void()> command);
    QToolButton* addToolButton(const char* name, const QString& hint, QAction* action);
    void applyDisplay();
    void applyCommandStates(const CommandStates& states);

    MainFormSetup m_setup;
    std::unique_ptr<Prompts> m_ownPrompts;
    std::unique_ptr<ClipboardAccess> m_ownClipboard;
    Prompts* m_prompts = nullptr;
    TFormProgress* m_progress = nullptr;
    std::unique_ptr<BoardSetupLineEditor> m_lineEditor;
    std::unique_ptr<EpdDocument> m_document;
    EpdLineModel* m_model = nullptr;
    TChessDiagram2D* m_diagram = nullptr;
    QTableView* m_list = nullptr;
    QLabel* m_indexLabel = nullptr;
    QLineEdit* m_lineField = nullptr;
    std::map<QString, QAction*> m_actions;
    std::map<QAction*, QToolButton*> m_toolButtons;
    bool m_shownOnce = false;
    bool m_listKeyDown = false;
    bool m_quitRequested = false;
};
