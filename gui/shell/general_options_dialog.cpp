#include "general_options_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include "main_window_words.h"
#include "qt_multilang.h"

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Click here to change"));
}

void ColorSwatch::setColor(ColorRef color) {
    m_color = color;
    QPalette colors = palette();
    colors.setColor(QPalette::Window, QColor(color.red(), color.green(), color.blue()));
    setPalette(colors);
}

void ColorSwatch::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit clicked();
}

TGeneralOpt::TGeneralOpt(Prompts& prompts, QWidget* parent) : QDialog(parent), m_prompts(prompts) {
    setObjectName(QStringLiteral("GeneralOpt"));
    setWindowTitle(QStringLiteral("Brisvane: General Options"));

    auto* colors = new QGroupBox(QStringLiteral("Board Colors"), this);
    colors->setObjectName(QStringLiteral("GroupBox1"));
    colors->setGeometry(8, 8, 200, 96);
    auto* lightLabel = new QLabel(QStringLiteral("Light squares"), colors);
    lightLabel->setObjectName(QStringLiteral("Label1"));
    lightLabel->setGeometry(12, 28, 110, 24);
    auto* darkLabel = new QLabel(QStringLiteral("Dark squares"), colors);
    darkLabel->setObjectName(QStringLiteral("Label2"));
    darkLabel->setGeometry(12, 60, 110, 24);
    m_light = new ColorSwatch(colors);
    m_light->setObjectName(QStringLiteral("ShapeLight"));
    m_light->setGeometry(140, 26, 40, 26);
    m_dark = new ColorSwatch(colors);
    m_dark->setObjectName(QStringLiteral("ShapeDark"));
    m_dark->setGeometry(140, 58, 40, 26);
    for (ColorSwatch* swatch : {m_light, m_dark})
        connect(swatch, &ColorSwatch::clicked, this, [this, swatch] { ShapeClick(swatch); });

    auto* language = new QGroupBox(QStringLiteral("Language"), this);
    language->setObjectName(QStringLiteral("RGLanguage"));
    language->setToolTip(QStringLiteral("Select your desired language"));
    language->setGeometry(216, 8, 160, 96);
    m_english = new QRadioButton(QStringLiteral("English"), language);
    m_english->setObjectName(QStringLiteral("RBEnglish"));
    m_english->setGeometry(12, 28, 140, 24);
    m_german = new QRadioButton(QStringLiteral("German"), language);
    m_german->setObjectName(QStringLiteral("RBGerman"));
    m_german->setGeometry(12, 58, 140, 24);

    auto* pgn = new QGroupBox(QStringLiteral("PGN Export Settings"), this);
    pgn->setObjectName(QStringLiteral("GroupBox2"));
    pgn->setGeometry(8, 112, 368, 96);
    m_nimzo = new QCheckBox(QStringLiteral("Nimzo98 like"), pgn);
    m_nimzo->setObjectName(QStringLiteral("CBNimzo98"));
    m_nimzo->setGeometry(12, 26, 160, 24);
    m_mapIdBm = new QCheckBox(QStringLiteral("Map EPD id/bm to"), pgn);
    m_mapIdBm->setObjectName(QStringLiteral("CBmapidbm"));
    m_mapIdBm->setGeometry(12, 56, 150, 24);
    auto* whiteBlack = new QLabel(QStringLiteral("PGN White/Black"), pgn);
    whiteBlack->setObjectName(QStringLiteral("Label5"));
    whiteBlack->setGeometry(164, 56, 140, 24);
    m_bmToPgn = new QCheckBox(QStringLiteral("bm -> PGN move"), pgn);
    m_bmToPgn->setObjectName(QStringLiteral("CBbm2pgn"));
    m_bmToPgn->setToolTip(QStringLiteral("Add bm opcode as move"));
    m_bmToPgn->setGeometry(190, 26, 170, 24);

    m_server = new QCheckBox(QStringLiteral("EPD Server"), this);
    m_server->setObjectName(QStringLiteral("CBEPDserver"));
    m_server->setGeometry(20, 218, 160, 24);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("BtnOK"));
    ok->setDefault(true);
    ok->setGeometry(216, 216, 76, 30);
    connect(ok, &QPushButton::clicked, this, &TGeneralOpt::BtnOKClick);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("BtnCancel"));
    cancel->setGeometry(300, 216, 76, 30);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(384, 256);
    // A click on a language shows every open window in it at once; Cancel goes back.
    for (QRadioButton* button : {m_english, m_german})
        connect(button, &QRadioButton::clicked, this, [this] {
            switchAllLanguages(languageColumnOfSetting(m_german->isChecked() ? 1 : 0));
        });
    connect(this, &QDialog::rejected, this,
            [this] { switchAllLanguages(languageColumnOfSetting(m_options.language)); });
    new TMultiLang(this, kGeneralOptWords, &m_prompts);
}

void TGeneralOpt::OnShow() {
    m_changed = false;
    m_light->setColor(m_options.lightSquares);
    m_dark->setColor(m_options.darkSquares);
    (m_options.language == 1 ? m_german : m_english)->setChecked(true);
    m_nimzo->setChecked(m_options.nimzoLikePgn);
    m_mapIdBm->setChecked(m_options.mapEpdOpToPgn);
    m_bmToPgn->setChecked(m_options.bmToPgn);
    m_server->setChecked(m_options.epdServer);
}

int TGeneralOpt::exec() {
    OnShow();
    return QDialog::exec();
}

void TGeneralOpt::ShapeClick(ColorSwatch* swatch) {
    if (const auto chosen = m_prompts.chooseColor("Brisvane: Color", swatch->color().value))
        swatch->setColor(ColorRef{*chosen});
}

void TGeneralOpt::BtnOKClick() {
    GeneralOptions chosen;
    chosen.lightSquares = m_light->color();
    chosen.darkSquares = m_dark->color();
    chosen.language = m_german->isChecked() ? 1 : 0;
    chosen.nimzoLikePgn = m_nimzo->isChecked();
    chosen.mapEpdOpToPgn = m_mapIdBm->isChecked();
    chosen.bmToPgn = m_bmToPgn->isChecked();
    chosen.epdServer = m_server->isChecked();
    m_changed = chosen.storeInto(m_options);
    accept();
}
