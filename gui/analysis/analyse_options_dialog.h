#pragma once

#include <functional>
#include <string>

#include <QDialog>

#include "analyse_options.h"
#include "prompts.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QStackedWidget;
class QToolButton;

// The analysis options: the engine to use and each engine's path and parameters.
class TAnalyseOpts : public QDialog {
    Q_OBJECT

public:
    struct Setup {
        bool libraryAvailable = false;
        bool showEngineInfo = false;   // ShowVanEngInfo or -VEINFO
        bool ownFileSelector = false;  // HandlePIFbug
        std::string addOnFolder;
        std::function<void()> showEngineInfoDialog;
    };
    TAnalyseOpts(Prompts& prompts, Setup setup, QWidget* parent = nullptr);

    void setOptions(const AppSettings& options) { m_options = options; }
    const AppSettings& options() const { return m_options; }
    bool changed() const { return m_changed; }
    AnalyseChoice choice() const;
    int currentPage() const;  // 1 Crafty .. 4 Generic

    void OnShow();
    int exec() override;
    // A click into a path field: the file selector of that engine's kind.
    void choosePath(int engine);
    // The engine picture: switches between the two engines of the add-on folder.
    void toggleAddOnEngine();

private:
    void BtnOKClick();
    void showPage(int page);
    // The engine picture's hint (a key of kAnalysisTexts), in the program's language.
    void showPictureHint(const char* key);

    Prompts& m_prompts;
    Setup m_setup;
    AppSettings m_options;
    bool m_changed = false;
    QRadioButton* m_choice[5];
    QStackedWidget* m_pages;
    QLineEdit* m_paths[5];  // 1..4
    QCheckBox* m_changeToCrafty;
    QComboBox* m_hashV9;
    QCheckBox* m_waitV9;
    QComboBox* m_hashVE;
    QComboBox* m_selectEngine;
    QToolButton* m_picture;
    const char* m_pictureHint = nullptr;
    QToolButton* m_info;
    QCheckBox* m_changeToGeneric;
    QLineEdit* m_genericCmdLine;
    QRadioButton* m_useEpd;
    QRadioButton* m_usePgn;
};
