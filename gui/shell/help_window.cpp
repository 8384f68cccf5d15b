#include "help_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const char* const kHelpOnHelp =
    "<h1>Using the help window</h1>"
    "<p><b>Contents</b> shows the manual from its first page. Links in the text lead to the "
    "sections they name; <b>Back</b> returns to where you were.</p>"
    "<p><b>Search</b>: type a word into the search field and press Return or <b>Find</b>. "
    "The next place where the word stands is marked; press Return again for the one after. "
    "The search starts again at the top when it reaches the end.</p>"
    "<p>The window stays open beside the program; close it as any other window. It closes "
    "when the program ends.</p>";

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
    m_search->setPlaceholderText(QStringLiteral("Keyword"));

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

    auto* bar = new QHBoxLayout;
    bar->addWidget(contents);
    bar->addWidget(back);
    bar->addSpacing(12);
    bar->addWidget(new QLabel(QStringLiteral("Search:"), this));
    bar->addWidget(m_search, 1);
    bar->addWidget(findButton);
    bar->addSpacing(12);
    bar->addWidget(helpOnHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_browser, 1);
    resize(720, 560);
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
    m_browser->setHtml(QString::fromLatin1(kHelpOnHelp));
    m_showingManual = false;
    present();
}

bool THelpWindow::find(const QString& keyword) {
    if (keyword.isEmpty()) return false;
    if (m_browser->find(keyword)) return true;
    // From the top again.
    m_browser->moveCursor(QTextCursor::Start);
    return m_browser->find(keyword);
}
