// An RTF diagram set in our chess font, as LibreOffice prints it.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include "ini_settings.h"
#include "rtf_export.h"
#include "scripted_prompts.h"
#include "temp_folder.h"

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

// Runs a program to its end; its standard output, or nothing when it failed.
std::optional<QByteArray> run(const QString& program, const QStringList& arguments,
                              const QProcessEnvironment& environment, int seconds) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(seconds * 1000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " did not end in " << seconds << " s";
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return std::nullopt;
    }
    return process.readAllStandardOutput();
}

TEST(RtfRender, LibreOfficePrintsTheBoardInOurFont) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed: Debian package "
                        "libreoffice-writer-nogui";

    TempFolder folder;
    ScriptedPrompts prompts;
    IniSettings store(BRISVANE_CHESS_FONTS_INI);
    TRTFHandling fonts(BRISVANE_CHESS_FONTS_INI, true, store, prompts);
    ASSERT_TRUE(fonts.LoadFont(fonts.FontIndex("Brisvane Chess")));
    TChessPosition position;
    position.Inicialize();
    ASSERT_TRUE(
        writeRtfFile(prompts, nullptr, folder.path("board.rtf"), position, fonts, 24, false));

    // Our font alone is added to the system's fonts, through a fontconfig file of the test's
    // own; LibreOffice gets a profile in the test folder.
    std::filesystem::create_directory(folder.path("fonts"));
    std::filesystem::copy_file(BRISVANE_CHESS_FONT, folder.path("fonts/BrisvaneChess.ttf"));
    folder.write("fonts.conf",
                 "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                 "<fontconfig>\n<include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>\n"
                 "<dir>" +
                     folder.path("fonts") + "</dir>\n<cachedir>" + folder.path("cache") +
                     "</cachedir>\n</fontconfig>\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FONTCONFIG_FILE"), q(folder.path("fonts.conf")));
    environment.insert(QStringLiteral("HOME"), q(folder.root()));
    ASSERT_TRUE(run(soffice,
                    {QStringLiteral("--headless"), QStringLiteral("--norestore"),
                     q("-env:UserInstallation=file://" + folder.path("profile")),
                     QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                     QStringLiteral("--outdir"), q(folder.root()), q(folder.path("board.rtf"))},
                    environment, 180));
    const std::string pdf = folder.path("board.pdf");

    // The board's text is in our font, embedded, and reads back as the font's characters.
    const auto used = run(QStringLiteral("pdffonts"), {q(pdf)}, environment, 30);
    ASSERT_TRUE(used);
    EXPECT_TRUE(used->contains("BrisvaneChess")) << used->toStdString();
    const auto text =
        run(QStringLiteral("pdftotext"), {q(pdf), QStringLiteral("-")}, environment, 30);
    ASSERT_TRUE(text);
    for (const char* rank : {"1222222223", "4tMvWlVmT5", "4*+*+*+*+5", "4RnBqKbNr5", "7888888889"})
        EXPECT_TRUE(text->contains(rank)) << rank << " not in\n" << text->toStdString();

    // Rendered at 72 dpi a 24 point square is 24 pixels: the framed board is a square of
    // 8 squares and two bars of 1/16 square; its empty ranks are half hatched.
    ASSERT_TRUE(run(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
                     QStringLiteral("-singlefile"), q(pdf), q(folder.path("page"))},
                    environment, 30));
    const QImage page = QImage(q(folder.path("page.png"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(page.isNull());
    int left = page.width(), right = -1, top = page.height(), bottom = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    const double board = 8.125 * 24;
    EXPECT_NEAR(right - left + 1, board, 4);
    EXPECT_NEAR(bottom - top + 1, board, 4);
    EXPECT_NEAR((left + right) / 2.0, page.width() / 2.0 + 10, 40);  // centred, a tab in
    int ink = 0, pixels = 0;
    const int emptyTop = top + 3 + 2 * 24, emptyBottom = top + 3 + 6 * 24;
    for (int y = emptyTop; y < emptyBottom; ++y)
        for (int x = left + 3; x < right - 3; ++x, ++pixels)
            if (qGray(page.pixel(x, y)) < 128) ++ink;
    EXPECT_GT(ink, pixels / 10);
    EXPECT_LT(ink, pixels / 3);
}

}  // namespace
