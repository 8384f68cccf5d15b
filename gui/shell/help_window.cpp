#include "help_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "multi_lang.h"
#include "qt_multilang.h"
#include "shell_words.h"

namespace {

QString helpText(std::string_view key) {
    return QString::fromStdString(wordOf(kHelpWindowTexts, key, currentLanguageColumn()));
}

}  // namespace

THelpWindow::THelpWindow(const QString& manualPath, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_manualPath(manualPath),
      m_browser(new QTextBrowser(this)),
      m_search(new QLineEdit(this)) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Brisvane: Help"));
    m_browser->setObjectName(QStringLiteral("HelpText"));
    m_browser->setOpenExternalLinks(true);
    m_search->setObjectName(QStringLiteral("HelpSearch"));

    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    contents->setObjectName(QStringLiteral("BtnContents"));
    auto* back = new QPushButton(QStringLiteral("&Back"), this);
    back->setObjectName(QStringLiteral("BtnBack"));
    auto* findButton = new QPushButton(QStringLiteral("&Find"), this);
    findButton->setObjectName(QStringLiteral("BtnFind"));
    auto* helpOnHelp = new QPushButton(QStringLiteral("&Help on Help"), this);
    helpOnHelp->setObjectName(QStringLiteral("BtnHelpOnHelp"));
    connect(contents, &QPushButton::clicked, this, &THelpWindow::showContents);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(helpOnHelp, &QPushButton::clicked, this, &THelpWindow::showHelpOnHelp);
    auto findTyped = [this] { find(m_search->text()); };
    connect(findButton, &QPushButton::clicked, this, findTyped);
    connect(m_search, &QLineEdit::returnPressed, this, findTyped);
    // A page of the manual (a link, Back) takes the place of the help on help.
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] { m_showingHelpOnHelp = false; });

    auto* bar = new QHBoxLayout;
    bar->addWidget(contents);
    bar->addWidget(back);
    bar->addSpacing(12);
    auto* searchLabel = new QLabel(QStringLiteral("Search:"), this);
    searchLabel->setObjectName(QStringLiteral("LblSearch"));
    searchLabel->setBuddy(m_search);
    bar->addWidget(searchLabel);
    bar->addWidget(m_search, 1);
    bar->addWidget(findButton);
    bar->addSpacing(12);
    bar->addWidget(helpOnHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_browser, 1);
    resize(720, 560);
    // The placeholder and the help on help are set in the program's language.
    auto* words = new TMultiLang(this, kHelpWindowWords);
    words->language().AfterLanguageChanged = [this](int) { showLanguage(); };
    showLanguage();
}

void THelpWindow::showLanguage() {
    m_search->setPlaceholderText(helpText("Keyword"));
    // The help on help, while it is the page shown, in the new language.
    if (m_showingHelpOnHelp) m_browser->setHtml(helpText("HelpOnHelp"));
}

void THelpWindow::present() {
    show();
    raise();
    activateWindow();
}

void THelpWindow::showContents() {
    const QUrl manual = QUrl::fromLocalFile(m_manualPath);
    if (m_browser->source() == manual)
        m_browser->reload();
    else
        m_browser->setSource(manual);
    m_showingManual = true;
    m_showingHelpOnHelp = false;
    m_browser->moveCursor(QTextCursor::Start);
    present();
}

void THelpWindow::showSearch(const QString& keyword) {
    if (!m_showingManual) showContents();
    m_search->setText(keyword);
    present();
    m_search->setFocus();
    m_search->selectAll();
}

void THelpWindow::showHelpOnHelp() {
    m_browser->setHtml(helpText("HelpOnHelp"));
    m_showingManual = false;
    m_showingHelpOnHelp = true;
    present();
}

bool THelpWindow::find(const QString& keyword) {
    if (keyword.isEmpty()) return false;
    if (m_browser->find(keyword)) return true;
    // From the top again.
    m_browser->moveCursor(QTextCursor::Start);
    return m_browser->find(keyword);
}
