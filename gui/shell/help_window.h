#pragma once

#include <QWidget>

class QLineEdit;
class QTextBrowser;

// The program's help: the HTML manual with its contents, a keyword search and help on the
// help window itself.
class THelpWindow : public QWidget {
    Q_OBJECT

public:
    THelpWindow(const QString& manualPath, QWidget* parent = nullptr);

    // The manual from its first page ("&Contents").
    void showContents();
    // The search field, ready for a keyword ("&Search...").
    void showSearch(const QString& keyword = {});
    // How to use this window ("&Help on Help").
    void showHelpOnHelp();
    // Finds the next place of the keyword; false when it is not in the page.
    bool find(const QString& keyword);

    QTextBrowser* browser() const { return m_browser; }
    QLineEdit* searchField() const { return m_search; }

private:
    void present();
    // The texts the window sets itself, in the program's language.
    void showLanguage();

    QString m_manualPath;
    bool m_showingManual = false;
    bool m_showingHelpOnHelp = false;
    QTextBrowser* m_browser;
    QLineEdit* m_search;
};
