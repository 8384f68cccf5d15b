#include "info_boxes.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "program_info.h"
#include "qt_multilang.h"
#include "shell_words.h"

namespace {

QLabel* label(const QString& text, const char* name, QWidget* parent) {
    auto* item = new QLabel(text, parent);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

QPushButton* button(const QString& caption, const char* name, QWidget* parent) {
    auto* item = new QPushButton(caption, parent);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

}  // namespace

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) emit clicked();
}

TAboutBox::TAboutBox(ClipboardAccess& clipboard, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Brisvane: About"));
    auto* layout = new QVBoxLayout(this);
    auto* name = label(QStringLiteral("Brisvane"), "ProductName", this);
    QFont big = name->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    name->setFont(big);
    layout->addWidget(name);
    layout->addWidget(label(QStringLiteral("%1, %2").arg(QLatin1String(ProgramInfo::kVersion),
                                                         QLatin1String(ProgramInfo::kDate)),
                            "Version", this));
    layout->addWidget(label(QString::fromLatin1(ProgramInfo::kFreeware), "Copyright", this));
    auto* contact = new ClickLabel(QString::fromLatin1(ProgramInfo::kContact), this);
    contact->setObjectName(QStringLiteral("LblContact"));
    contact->setToolTip(QStringLiteral("Click to copy the address to the clipboard"));
    contact->setCursor(Qt::PointingHandCursor);
    connect(contact, &ClickLabel::clicked, this,
            [&clipboard] { clipboard.setText(ProgramInfo::kContact); });
    layout->addWidget(contact);
    layout->addWidget(label(QString::fromStdString(ProgramInfo::operatingSystem()), "LblOS", this));
    auto* ok = button(QStringLiteral("&OK"), "BtnOK", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TWebBox::TWebBox(ClipboardAccess& clipboard, Opener open, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WebBox"));
    setWindowTitle(QStringLiteral("Brisvane: WWW"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label(QStringLiteral("Brisvane is available at:"), "Label1", this));
    auto* address = label(QString::fromLatin1(ProgramInfo::kDownloadPage), "LblAddress", this);
    address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(address);
    auto* buttons = new QHBoxLayout;
    auto* copy = button(QStringLiteral("&Copy"), "BtnCopy", this);
    auto* connectButton = button(QStringLiteral("C&onnect"), "BtnConnect", this);
    auto* ok = button(QStringLiteral("&OK"), "BtnOK", this);
    ok->setDefault(true);
    buttons->addWidget(copy);
    buttons->addWidget(connectButton);
    buttons->addStretch();
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    connect(copy, &QPushButton::clicked, this, [this, &clipboard] {
        clipboard.setText(ProgramInfo::kDownloadPage);
        accept();
    });
    connect(connectButton, &QPushButton::clicked, this, [this, open = std::move(open)] {
        if (open) open(ProgramInfo::kDownloadPage);
        accept();
    });
    // OK is the default and the cancel button: Escape closes the box too.
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    new TMultiLang(this, kWebBoxWords);
}

TLicenceBox::TLicenceBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LicenceBox"));
    setWindowTitle(QStringLiteral("Brisvane: Licence"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QPlainTextEdit(QString::fromLatin1(ProgramInfo::licence()), this);
    text->setObjectName(QStringLiteral("Memo1"));
    text->setReadOnly(true);
    layout->addWidget(text);
    auto* ok = button(QStringLiteral("&OK"), "BtnOK", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    setFixedSize(520, 360);
}

QImage TSplashForm::picture(const QImage& piece) {
    QImage image(320, 200, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    // A strip of board squares with our own knight on it, and the program's name.
    for (int file = 0; file < 8; ++file)
        painter.fillRect(16 + file * 36, 136, 36, 36,
                         file % 2 ? QColor(255, 255, 255) : QColor(0, 128, 128));
    if (!piece.isNull()) painter.drawImage(QRect(124, 22, 72, 72), piece);
    painter.setPen(Qt::white);
    QFont font(QStringLiteral("DejaVu Sans"), 20, QFont::Bold);
    painter.setFont(font);
    painter.drawText(QRect(0, 94, 320, 36), Qt::AlignCenter, QStringLiteral("Brisvane V1.5"));
    font.setPointSize(9);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRect(0, 176, 320, 20), Qt::AlignCenter,
                     QStringLiteral("EPD viewer and editor for chess test positions"));
    return image;
}

TSplashForm::TSplashForm(const QImage& piece)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("SplashForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setStyleSheet(QStringLiteral("background: black"));
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(QPixmap::fromImage(picture(piece)));
    image->setGeometry(8, 8, 320, 200);
    setFixedSize(336, 216);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}
