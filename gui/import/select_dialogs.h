#pragma once

#include <string>
#include <vector>

#include <QDialog>

#include "game_import.h"

class QLabel;
class QPushButton;
class TFnpListBox;

// The game selection of the PGN import: the games of a PGN file by their header tags. Created
// once; the list and the file stay between imports.
class TPGNselect : public QDialog {
    Q_OBJECT

public:
    TPGNselect(PgnSelection& selection, QWidget* parent = nullptr);
    // Shows the dialog unless it closes at once; the result is in the selection.
    int exec() override;
    TFnpListBox* list() const { return m_list; }
    QLabel* indexLabel() const { return m_label; }
    void reject() override;

private:
    void applyTexts();
    void showLabel();
    void BtnOKClick();

    PgnSelection& m_selection;
    TFnpListBox* m_list;
    QLabel* m_label;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QPushButton* m_change;
};

// The game selection of the QBX import: the QBX files of a folder with the game data of their
// headers. Created for each import.
class TQBXselect : public QDialog {
    Q_OBJECT

public:
    TQBXselect(Prompts& prompts, std::string folder, QWidget* parent = nullptr);
    int exec() override;
    // The chosen file's path, "" for none.
    const std::string& chosenFile() const { return m_chosen; }
    TFnpListBox* list() const { return m_list; }

private:
    void BtnOKClick();

    Prompts& m_prompts;
    std::string m_folder;
    std::string m_chosen;
    std::vector<std::string> m_entries;
    std::vector<std::string> m_files;  // the file name of each entry
    TFnpListBox* m_list;
};
