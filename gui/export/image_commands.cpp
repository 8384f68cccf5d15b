#include "image_commands.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <filesystem>
#include <optional>
#include <stdexcept>

#include "chess_diagram.h"
#include "gif_writer.h"
#include "text_file.h"

namespace {

// The hourglass while a file is written.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

// The GIF writer's progress flag for the length of one command; the window goes away with it,
// also when the writer stopped with an error before it reported the end.
struct TImageExports::ShowProgressFlag {
    TImageExports& exports;
    ShowProgressFlag(TImageExports& owner, bool show) : exports(owner) { setGifShowProgress(show); }
    ~ShowProgressFlag() {
        setGifShowProgress(false);
        exports.endGifProgress();
    }
    ShowProgressFlag(const ShowProgressFlag&) = delete;
    ShowProgressFlag& operator=(const ShowProgressFlag&) = delete;
};

TImageExports::TImageExports(Context context) : m_context(std::move(context)) {
    // The GIF writer reports to the shared progress window: shown while a fraction below 1
    // comes in, hidden at the end.
    setGifProgressHook([this](double fraction) {
        ProgressSink* progress = m_context.progress;
        if (!progress) return;
        if (fraction > 0.9999) {
            endGifProgress();
            return;
        }
        if (!m_gifProgressShown) progress->begin("Progress", 100);
        m_gifProgressShown = true;
        progress->advance(static_cast<std::size_t>(fraction * 100 + 0.5));
    });
}

TImageExports::~TImageExports() {
    setGifProgressHook(nullptr);
}

void TImageExports::endGifProgress() {
    if (m_gifProgressShown && m_context.progress) m_context.progress->end();
    m_gifProgressShown = false;
}

QImage TImageExports::snapshot() {
    TChessDiagram2D* diagram = m_context.diagram;
    for (int rank = 0; rank < 8; ++rank)
        for (int file = 0; file < 8; ++file)
            diagram->RedrawSquare(makeSquare(rank, file));
    return diagram->CopyDiagramToBitmap();
}

void TImageExports::writeGif(const QImage& image, const std::string& path) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    GifBitmap bitmap{rgb.width(), rgb.height(), {}};
    bitmap.colors.resize(static_cast<std::size_t>(rgb.width()) * rgb.height());
    std::uint32_t* out = bitmap.colors.data();
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            *out++ = static_cast<std::uint32_t>(qRed(line[x]) | qGreen(line[x]) << 8 |
                                                qBlue(line[x]) << 16);
    }
    TColorTable table;
    auto indices = BitmapToIndices(bitmap, table);
    TGifFile file;
    file.AddSubImage(table, *indices);
    file.SaveToFile(path);
}

void TImageExports::writeWithQt(const QImage& image, const std::string& path, const char* format) {
    // Qt encodes; the file is written as every save writes it.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image))
        throw std::runtime_error("Can't write " + path + ": " + writer.errorString().toStdString());
    const WriteResult written = writeBytesSafely(
        path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!written.ok) throw std::runtime_error("Can't write " + path + ": " + written.error);
}

void TImageExports::CopyButtonClick() {
    QGuiApplication::clipboard()->clear();
    QGuiApplication::clipboard()->setImage(snapshot());
}

void TImageExports::miCopyASCIIEPDClick() {
    m_context.clipboard->setText(
        asciiBoard(m_context.diagram->position(), m_context.currentLineText()));
}

void TImageExports::saveAs(ImageKind kind) {
    const ShowProgressFlag flag(
        *this, kind == ImageKind::Gif && m_context.showProgress && m_context.showProgress());
    const auto path = chooseImageFile(*m_context.prompts, m_context.settings, kind, german());
    if (!path) return;
    const QImage image = snapshot();
    {
        const BusyCursor busy;
        switch (kind) {
            case ImageKind::Bmp:
                writeWithQt(image, *path, "BMP");
                break;
            case ImageKind::Gif:
                writeGif(image, *path);
                break;
            case ImageKind::Png:
                writeWithQt(image, *path, "PNG");
                break;
            case ImageKind::Jpg:
                break;  // offered, but no file is written
        }
    }
    rememberImageFolder(m_context.settings, kind, *path);
}

void TImageExports::miExportGIFClick() {
    GifExportSteps steps = m_context.lines;
    // The window counts the lines written, when the setting asks for progress.
    steps.progress =
        m_context.showProgress && m_context.showProgress() ? m_context.progress : nullptr;
    steps.writeGif = [this](const std::string& path) {
        const BusyCursor busy;
        writeGif(snapshot(), path);
    };
    exportGifOfAllLines(*m_context.prompts, steps, german());
}

void TImageExports::miPrintFileClick() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, m_context.window);
    if (dialog.exec() != QDialog::Accepted) return;
    printOn(printer);
}

void TImageExports::printOn(QPrinter& printer) {
    const QImage image = snapshot();
    int factor = m_context.printScaleFactor ? m_context.printScaleFactor() : 4;
    if (factor < 2 || factor > 6) factor = 4;
    printer.setDocName(QString::fromStdString(m_context.title));
    // Device pixels of 1/300 inch whatever the printer's own resolution: with the factor 4 the
    // board is 3.5 inches square, as on the printers the scale factor was made for.
    printer.setResolution(300);
    QPainter painter;
    if (!painter.begin(&printer))
        throw std::runtime_error("Can't print: the printer refused the job");
    // In printer device pixels: from (400, 400), 264 pixels for each step of the factor.
    painter.drawImage(QRect(400, 400, factor * 264, factor * 264), image);
    painter.end();
}

void TImageExports::miCopyasHTMLClick(const HtmlOptions& options) {
    ClipboardAccess& clipboard = *m_context.clipboard;
    clipboard.setText(std::string());
    try {
        clipboard.setText(htmlDiagram(m_context.diagram->position(), options));
    } catch (const BadSquareError& error) {
        clipboard.setText(std::string());
        m_context.prompts->message(kCaption, error.what(), Icon::Error);
    }
}

void TImageExports::miCopyasRTFClick(const TRTFHandling& fonts, int fontSize) {
    snapshot();
    const std::string path = m_context.tempFolder + "/CLIPBOARD.RTF";
    std::error_code ec;
    std::filesystem::remove(path, ec);
    const TChessPosition& position = m_context.diagram->position();
    if (writeRtfFile(*m_context.prompts, m_context.settings, path, position, fonts, fontSize,
                     german())) {
        QFile file(QFile::decodeName(path.c_str()));
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray document = file.readAll();
            m_context.clipboard->setRichText(document.toStdString(),
                                             rtfDiagramText(position, fonts));
            return;
        }
    }
    m_context.prompts->message(kCaption, "Can't copy position in RTF format to clipboard",
                               Icon::Error);
}

void TImageExports::miSaveasRTFClick(const TRTFHandling& fonts, int fontSize) {
    const auto path = chooseRtfFile(*m_context.prompts, m_context.settings, german());
    if (!path) return;
    snapshot();
    writeRtfFile(*m_context.prompts, m_context.settings, *path, m_context.diagram->position(),
                 fonts, fontSize, german());
}

QImage TImageExports::pieceImage(int piece, bool darkSquare, int pixels) const {
    const TChessDiagram2D& diagram = *m_context.diagram;
    const QImage square =
        diagram.pieceOn(piece, darkSquare ? diagram.DarkSquareColor() : diagram.LightSquareColor());
    // Smoothly scaled, then brought back to a palette a GIF can hold.
    return square.scaled(pixels, pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither)
        .convertToFormat(QImage::Format_RGB32);
}

void TImageExports::savePieceImages(int pixels, const std::string& initialFolder) {
    std::optional<BusyCursor> busy;
    ::savePieceImages(*m_context.prompts, initialFolder, german(),
                      [&](const PieceImage& image, const std::string& path) {
                          if (!busy) busy.emplace();
                          writeGif(pieceImage(image.piece, image.dark, pixels), path);
                      });
}
