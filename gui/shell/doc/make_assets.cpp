// Build step: writes the plain-text manual from the HTML manual, and the program's icon from our
// own piece artwork.
#include <cstdio>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include "chess_diagram.h"

namespace {

// Each paragraph broken into lines of at most `width` characters.
QString wrapped(const QString& text, int width) {
    QString out;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
                out += line + QLatin1Char('\n');
                line.clear();
            }
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        out += line + QLatin1Char('\n');
    }
    return out;
}

bool writeText(const QString& htmlPath, const QString& textPath) {
    QFile html(htmlPath);
    if (!html.open(QIODevice::ReadOnly)) return false;
    QTextDocument document;
    document.setHtml(QString::fromUtf8(html.readAll()));
    QFile text(textPath);
    if (!text.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QString plain = document.toPlainText();
    plain.replace(QChar::Nbsp, QLatin1Char(' '));
    return text.write(wrapped(plain, 78).toUtf8()) >= 0;
}

// A white knight on a dark square with a light border, as a square icon.
bool writeIcon(const QString& path, int size) {
    const TChessDiagram2D diagram;
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.fillRect(icon.rect(), QColor(255, 255, 255));
    const int border = size / 16;
    const QRect square = icon.rect().adjusted(border, border, -border, -border);
    const QColor dark = TChessDiagram2D::colorOf(kDefaultDarkSquares);
    painter.drawImage(square, diagram.pieceOn(Piece::WhiteKnight, dark));
    painter.end();
    return icon.save(path);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_assets manual.html manual.txt icon.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!writeText(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "make_assets: can't write %s\n", argv[2]);
        return 1;
    }
    if (!writeIcon(QString::fromLocal8Bit(argv[3]), 128)) {
        std::fprintf(stderr, "make_assets: can't write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
