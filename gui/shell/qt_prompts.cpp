#include "qt_prompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "file_dialogs.h"

QString caseInsensitiveMask(const QString& mask) {
    QString out;
    for (const QChar c : mask) {
        if (c.toLower() != c.toUpper())
            out += QLatin1Char('[') + c.toUpper() + c.toLower() + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

QStringList qtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList masks;
        for (const QString& mask : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            masks << caseInsensitiveMask(mask.trimmed());
        filters << parts[i] + QStringLiteral(" (") + masks.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

void QtPrompts::message(const std::string& caption, const std::string& text, Icon icon) {
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    switch (icon) {
        case Icon::Information:
            boxIcon = QMessageBox::Information;
            break;
        case Icon::Warning:
            boxIcon = QMessageBox::Warning;
            break;
        case Icon::Error:
            boxIcon = QMessageBox::Critical;
            break;
        case Icon::Question:
            boxIcon = QMessageBox::Question;
            break;
        case Icon::None:
            break;
    }
    QMessageBox box(boxIcon, QString::fromStdString(caption), displayText(text), QMessageBox::Ok,
                    m_parent);
    box.exec();
}

bool QtPrompts::askYesNo(const std::string& caption, const std::string& text, Icon icon) {
    QMessageBox box(icon == Icon::Question ? QMessageBox::Question : QMessageBox::Warning,
                    QString::fromStdString(caption), displayText(text),
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

Reply QtPrompts::askYesNoCancel(const std::string& caption, const std::string& text, Icon icon) {
    QMessageBox box(icon == Icon::Question ? QMessageBox::Question : QMessageBox::Warning,
                    QString::fromStdString(caption), displayText(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    // Escape and the window's close button answer Cancel, never No.
    box.setEscapeButton(QMessageBox::Cancel);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes) return Reply::Yes;
    if (answer == QMessageBox::No) return Reply::No;
    return Reply::Cancel;
}

std::optional<std::string> QtPrompts::chooseFile(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(m_parent, QString::fromStdString(request.title));
    dialog.setObjectName(QStringLiteral("FileDialog"));
    // Qt's own dialog everywhere, so the case-insensitive masks behave the same on every desktop;
    // the masks stay out of sight behind the filter's description.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The program asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex - 1;
        if (index >= 0 && index < filters.size()) dialog.selectNameFilter(filters[index]);
    }
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.initialDir.empty())
        dialog.setDirectory(QFile::decodeName(request.initialDir.c_str()));
    if (!request.fileName.empty()) dialog.selectFile(QFile::decodeName(request.fileName.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

std::optional<std::string> QtPrompts::chooseOpenFile(const FileDialogRequest& request) {
    return chooseFile(request, false);
}

std::optional<std::string> QtPrompts::chooseSaveFile(const FileDialogRequest& request) {
    return chooseFile(request, true);
}

std::optional<std::string> QtPrompts::chooseFolder(const std::string& title,
                                                   const std::string& initialDir) {
    const QString folder = QFileDialog::getExistingDirectory(
        m_parent, QString::fromStdString(title), QFile::decodeName(initialDir.c_str()));
    if (folder.isEmpty()) return std::nullopt;
    return QFile::encodeName(folder).toStdString();
}

std::optional<std::string> QtPrompts::chooseFolderOfFiles(const FileDialogRequest& request) {
    TMySelDirDialog dialog(m_parent);
    dialog.setTitle(request.title);
    dialog.setFilter(request.filter);
    dialog.setInitialDir(request.initialDir);
    dialog.setFileName(request.fileName);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.initialDir();
}

std::optional<std::string> QtPrompts::inputBox(const std::string& title, const std::string& prompt,
                                               const std::string& defaultText) {
    bool ok = false;
    const QString answer = QInputDialog::getText(m_parent, QString::fromStdString(title),
                                                 QString::fromStdString(prompt), QLineEdit::Normal,
                                                 QString::fromStdString(defaultText), &ok);
    if (!ok) return std::nullopt;
    return toBytes(answer);
}

std::optional<std::uint32_t> QtPrompts::chooseColor(const std::string& title,
                                                    std::uint32_t initial) {
    const QColor start(static_cast<int>(initial & 0xFF), static_cast<int>((initial >> 8) & 0xFF),
                       static_cast<int>((initial >> 16) & 0xFF));
    const QColor chosen = QColorDialog::getColor(start, m_parent, QString::fromStdString(title));
    if (!chosen.isValid()) return std::nullopt;
    return static_cast<std::uint32_t>(chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16));
}
