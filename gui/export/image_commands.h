#pragma once

#include <functional>
#include <string>

#include <QImage>

#include "html_export.h"
#include "image_exports.h"
#include "prompts.h"
#include "rtf_export.h"
#include "services.h"

class QPrinter;
class QWidget;
class TChessDiagram2D;

// The picture and text exports of the main window: copy the board, save it as BMP, GIF or PNG,
// export every line as GIF, copy it as ASCII, HTML or RTF, save it as RTF, print it. They all take
// what the diagram shows.
class TImageExports {
public:
    struct Context {
        Prompts* prompts = nullptr;
        SettingsStore* settings = nullptr;
        ClipboardAccess* clipboard = nullptr;  // the text clipboard
        ProgressSink* progress = nullptr;
        TChessDiagram2D* diagram = nullptr;
        QWidget* window = nullptr;
        std::function<bool()> german;
        std::function<bool()> showProgress;            // the setting ShowProgress
        std::function<int()> printScaleFactor;         // 2..6
        std::function<std::string()> currentLineText;  // the EPD line shown above the list
        std::string title = "Brisvane";                // the application title, for print jobs
        std::string tempFolder;                        // where Copy as RTF writes its file
        GifExportSteps lines;                          // the document's side of Export GIF
    };
    explicit TImageExports(Context context);
    ~TImageExports();
    TImageExports(const TImageExports&) = delete;
    TImageExports& operator=(const TImageExports&) = delete;

    // The diagram redrawn from its position, as a 304 x 304 picture.
    QImage snapshot();

    void CopyButtonClick();
    void miCopyASCIIEPDClick();
    void saveAs(ImageKind kind);
    void miExportGIFClick();
    void miPrintFileClick();
    // The HTML table of the diagram's position on the clipboard.
    void miCopyasHTMLClick(const HtmlOptions& options);
    // The RTF document of the diagram's position on the clipboard (rich and plain text), or
    // in a file the user chooses.
    void miCopyasRTFClick(const TRTFHandling& fonts, int fontSize);
    void miSaveasRTFClick(const TRTFHandling& fonts, int fontSize);
    // The 26 pictures the HTML table names, at a square size in pixels, into a folder the user
    // picks.
    void savePieceImages(int pixels, const std::string& initialFolder);
    // One of them: a piece code (0 for none) on a light or dark square of the diagram's colours.
    QImage pieceImage(int piece, bool darkSquare, int pixels) const;

    // Prints the board on a printer that is set up already (the print dialog's part is done).
    void printOn(QPrinter& printer);

    // Writes a picture as a GIF file with the program's own writer; throws on failure.
    static void writeGif(const QImage& image, const std::string& path);
    // Writes a picture with Qt's writer for the format, through a temporary file.
    static void writeWithQt(const QImage& image, const std::string& path, const char* format);

private:
    struct ShowProgressFlag;
    bool german() const { return m_context.german && m_context.german(); }
    void endGifProgress();

    Context m_context;
    bool m_gifProgressShown = false;
};
