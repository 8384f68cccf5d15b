#include "export_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "export_words.h"
#include "qt_multilang.h"
#include "qt_text.h"

namespace {

QPushButton* button(QDialog* dialog, const char* name, const QString& text, QRect geometry) {
    auto* b = new QPushButton(text, dialog);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

}  // namespace

THTMLOptions::THTMLOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HTMLOptions"));
    setWindowTitle(QStringLiteral("HTML Table Options"));
    label(this, "LblBorder", QStringLiteral("Table border size"), {12, 14, 170, 22});
    m_border = new QComboBox(this);
    m_border->setObjectName(QStringLiteral("CBBorderSize"));
    for (int i = 0; i <= 7; ++i)
        m_border->addItem(QString::number(i));
    m_border->setGeometry(190, 12, 110, 26);
    m_coordinates = new QCheckBox(QStringLiteral("Show coordinates"), this);
    m_coordinates->setObjectName(QStringLiteral("CBShowCoordinates"));
    m_coordinates->setGeometry(12, 48, 290, 24);
    label(this, "LblPixels", QStringLiteral("Square size in pixel"), {12, 84, 170, 22});
    m_pixels = new QComboBox(this);
    m_pixels->setObjectName(QStringLiteral("CBPixels"));
    for (int i = 25; i <= 45; ++i)
        m_pixels->addItem(QStringLiteral("%1 x %1").arg(i));
    m_pixels->setGeometry(190, 82, 110, 26);
    label(this, "LblPraefix", QStringLiteral("GIF pieces path praefix"), {12, 118, 290, 22});
    m_prefix = new QLineEdit(this);
    m_prefix->setObjectName(QStringLiteral("EditPraefix"));
    m_prefix->setGeometry(12, 142, 288, 26);
    QPushButton* pieces =
        button(this, "BtnSavePieces", QStringLiteral("Save piece images..."), {12, 180, 288, 28});
    pieces->setToolTip(QStringLiteral("Write the 26 GIF images the HTML table names"));
    QPushButton* ok = button(this, "BtnOK", QStringLiteral("&OK"), {12, 220, 140, 28});
    QPushButton* cancel = button(this, "BtnCancel", QStringLiteral("&Cancel"), {160, 220, 140, 28});
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &THTMLOptions::BtnOKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(pieces, &QPushButton::clicked, this, [this] {
        if (savePieceImages) savePieceImages(m_pixels->currentIndex() + 25);
    });
    setFixedSize(312, 260);
    new TMultiLang(this, kHTMLOptionsWords);
}

void THTMLOptions::OnShow() {
    const HtmlOptionsForm form = HtmlOptionsForm::of(m_options);
    m_border->setCurrentIndex(form.borderIndex);
    m_coordinates->setChecked(form.showCoordinates);
    m_pixels->setCurrentIndex(form.pixelsIndex);
    m_prefix->setText(displayText(form.prefix));
    m_changed = false;
}

int THTMLOptions::exec() {
    OnShow();
    return QDialog::exec();
}

void THTMLOptions::BtnOKClick() {
    HtmlOptionsForm form;
    form.borderIndex = m_border->currentIndex();
    form.showCoordinates = m_coordinates->isChecked();
    form.pixelsIndex = m_pixels->currentIndex();
    form.prefix = toBytes(m_prefix->text());
    m_changed = form.storeInto(m_options);
    m_prefix->setText(displayText(form.prefix));
    accept();
}

TRTFOptions::TRTFOptions(Prompts& prompts, QWidget* parent) : QDialog(parent), m_prompts(prompts) {
    setObjectName(QStringLiteral("RTFOptions"));
    setWindowTitle(QStringLiteral("Brisvane: RTF options"));
    label(this, "LblFontName", QStringLiteral("Select a chess font"), {12, 10, 220, 22});
    m_fontList = new QListWidget(this);
    m_fontList->setObjectName(QStringLiteral("LBFontName"));
    m_fontList->setGeometry(12, 34, 220, 180);
    label(this, "LblFontSize", QStringLiteral("Font size"), {244, 10, 80, 22});
    m_sizeList = new QListWidget(this);
    m_sizeList->setObjectName(QStringLiteral("LBFontSize"));
    m_sizeList->setGeometry(244, 34, 80, 180);
    QPushButton* ok = button(this, "BtnOK", QStringLiteral("&OK"), {12, 226, 150, 28});
    QPushButton* cancel = button(this, "BtnCancel", QStringLiteral("&Cancel"), {174, 226, 150, 28});
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TRTFOptions::BtnOKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(336, 266);
    new TMultiLang(this, kRTFOptionsWords, &m_prompts);
}

void TRTFOptions::OnShow() {
    m_form = RtfOptionsForm::of(m_fonts, m_setting);
    m_fontList->clear();
    const bool german = currentLanguageColumn() == 0;
    for (const std::string& item : m_form.fontItems)
        m_fontList->addItem(
            displayText(!m_form.haveFonts && german ? kNoFontsAvailableGerman : item));
    m_fontList->setCurrentRow(m_form.fontIndex);
    if (m_form.fontIndex < 0) m_fontList->clearSelection();
    m_sizeList->clear();
    for (const int size : m_form.sizes)
        m_sizeList->addItem(QString::number(size));
    m_sizeList->setCurrentRow(m_form.sizeIndex);
    if (m_form.sizeIndex < 0) m_sizeList->clearSelection();
    m_changed = false;
}

int TRTFOptions::exec() {
    OnShow();
    return QDialog::exec();
}

void TRTFOptions::BtnOKClick() {
    auto selectedRow = [](QListWidget* list) {
        const auto items = list->selectedItems();
        return items.isEmpty() ? -1 : list->row(items.front());
    };
    RtfOptionsForm form = m_form;
    form.fontIndex = selectedRow(m_fontList);
    form.sizeIndex = selectedRow(m_sizeList);
    switch (form.accept(m_setting, m_changed)) {
        case RtfOptionsForm::Outcome::FontMissing:
            m_prompts.message(kCaption, "Chess font name missing/illegal", Icon::Error);
            m_fontList->setFocus();
            return;
        case RtfOptionsForm::Outcome::SizeMissing:
            m_prompts.message(kCaption, "Chess font size missing/illegal", Icon::Error);
            m_sizeList->setFocus();
            return;
        case RtfOptionsForm::Outcome::Close:
            break;
    }
    accept();
}
