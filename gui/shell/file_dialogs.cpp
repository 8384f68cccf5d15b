#include "file_dialogs.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "file_selection.h"
#include "multi_lang.h"
#include "qt_multilang.h"
#include "qt_prompts.h"
#include "shell_words.h"

namespace fs = std::filesystem;

namespace {

QString fromBytes(const std::string& text) {
    return QFile::decodeName(text.c_str());
}
std::string toPath(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

std::string fullPath(const std::string& path) {
    std::error_code ec;
    const auto absolute = fs::absolute(path, ec);
    std::string out = (ec ? fs::path(path) : absolute).lexically_normal().string();
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}

std::string currentFolder() {
    std::error_code ec;
    return fs::current_path(ec).string();
}

std::vector<std::string> systemDrives() {
    std::ifstream mounts("/proc/mounts");
    const std::string text((std::istreambuf_iterator<char>(mounts)),
                           std::istreambuf_iterator<char>());
    return FileSelection::drives(toPath(QDir::homePath()), text);
}

}  // namespace

TMySelectionDialog::TMySelectionDialog(bool pickFolder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_pickFolder(pickFolder),
      m_drives(systemDrives()),
      m_driveList(new QComboBox(this)),
      m_folders(new QListWidget(this)),
      m_files(new QListWidget(this)),
      m_filterList(new QComboBox(this)) {
    m_driveList->setObjectName(QStringLiteral("DriveComboBox1"));
    for (const std::string& drive : m_drives)
        m_driveList->addItem(fromBytes(drive));
    m_folders->setObjectName(QStringLiteral("DirectoryListBox1"));
    m_files->setObjectName(QStringLiteral("FileListBox1"));
    m_filterList->setObjectName(QStringLiteral("FilterComboBox1"));
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("BtnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("BtnCancel"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_files, 0, 0);
    layout->addWidget(m_folders, 0, 1);
    layout->addWidget(m_filterList, 1, 0);
    layout->addWidget(m_driveList, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 2, 0, 1, 2);

    connect(m_folders, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        changeFolder(toPath(item->data(Qt::UserRole).toString()));
    });
    connect(m_driveList, &QComboBox::activated, this, &TMySelectionDialog::changeDrive);
    connect(m_filterList, &QComboBox::activated, this, &TMySelectionDialog::changeFilter);
    connect(m_files, &QListWidget::itemActivated, this, [this] { BtnOKClick(); });
    connect(ok, &QPushButton::clicked, this, [this] { BtnOKClick(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    if (m_pickFolder) {
        // The file list only shows what the folder holds.
        m_files->setEnabled(false);
        m_filterList->hide();
        m_filterList->setEnabled(false);
        m_title = "Open file";
    }
    setFixedSize(520, 340);
    // The caption is the title shown when the caller gives none; a title the caller gave stays.
    auto* words = new TMultiLang(this, m_pickFolder ? kMySelDirDialogWords : kMyOpenDialogWords);
    words->language().AfterLanguageChanged = [this](int) {
        if (m_titleGiven) setWindowTitle(fromBytes(m_title));
    };
}

void TMySelectionDialog::setTitle(const std::string& title) {
    if (title.empty()) return;
    m_title = title;
    m_titleGiven = true;
}
void TMySelectionDialog::setFilter(const std::string& filter) {
    if (!filter.empty()) m_filter = filter;
}
void TMySelectionDialog::setInitialDir(const std::string& folder) {
    if (!folder.empty()) m_initialDir = folder;
}
void TMySelectionDialog::setFileName(const std::string& name) {
    if (!name.empty()) m_fileName = name;
}

int TMySelectionDialog::exec() {
    OnShow();
    return QDialog::exec();
}

void TMySelectionDialog::OnShow() {
    if (m_titleGiven) setWindowTitle(fromBytes(m_title));
    m_folder = currentFolder();
    if (!m_initialDir.empty()) {
        if (m_pickFolder) {
            if (!isFolder(m_initialDir)) m_initialDir = currentFolder();
            m_folder = fullPath(m_initialDir);
        } else if (isFolder(m_initialDir + "/")) {
            m_folder = fullPath(m_initialDir);
        }
    }
    const std::string drive = FileSelection::driveOf(m_folder, m_drives);
    for (std::size_t i = 0; i < m_drives.size(); ++i)
        if (m_drives[i] == drive) m_driveList->setCurrentIndex(static_cast<int>(i));
    m_masks = {QStringLiteral("*")};
    if (!m_filter.empty()) {
        m_filterList->clear();
        // The default filter is shown in the program's language.
        const std::string filter = translated(kFileDialogTexts, m_filter, currentLanguageColumn());
        for (const auto& entry : FileSelection::parseFilter(filter)) {
            QStringList masks;
            for (const std::string& mask : entry.masks)
                masks << fromBytes(mask);
            m_filterList->addItem(fromBytes(entry.description), masks);
        }
        if (m_filterList->count() > 0) m_masks = m_filterList->itemData(0).toStringList();
    }
    fillFolders();
    fillFiles();
    if (!m_fileName.empty()) {
        const std::string full = m_folder.empty() ? m_fileName : m_folder + "/" + m_fileName;
        if (QFile::exists(fromBytes(full))) selectFile(fromBytes(m_fileName));
    }
}

void TMySelectionDialog::fillFolders() {
    m_folders->clear();
    const std::string drive = FileSelection::driveOf(m_folder, m_drives);
    const auto path = FileSelection::ancestors(drive.empty() ? "/" : drive, m_folder);
    int depth = 0;
    for (const std::string& folder : path) {
        const QString name =
            folder == "/" ? QStringLiteral("/") : fromBytes(fs::path(folder).filename().string());
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, m_folders);
        item->setData(Qt::UserRole, fromBytes(folder));
        ++depth;
    }
    m_folders->setCurrentRow(m_folders->count() - 1);
    const QDir current(fromBytes(m_folder));
    for (const QString& child : current.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + child, m_folders);
        item->setData(Qt::UserRole, current.filePath(child));
    }
}

void TMySelectionDialog::fillFiles() {
    m_files->clear();
    QStringList masks;
    for (const QString& mask : m_masks)
        masks << caseInsensitiveMask(mask);
    // "*.*" stands for every file, also those without a dot.
    if (m_masks.contains(QStringLiteral("*.*"))) masks << QStringLiteral("*");
    const QDir current(fromBytes(m_folder));
    m_files->addItems(current.entryList(masks, QDir::Files | QDir::Hidden, QDir::Name));
}

QStringList TMySelectionDialog::files() const {
    QStringList names;
    for (int row = 0; row < m_files->count(); ++row)
        names << m_files->item(row)->text();
    return names;
}

void TMySelectionDialog::changeFolder(const std::string& folder) {
    if (!isFolder(folder)) return;
    m_folder = fullPath(folder);
    fillFolders();
    fillFiles();
}

void TMySelectionDialog::changeDrive(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < m_drives.size())
        changeFolder(m_drives[static_cast<std::size_t>(index)]);
}

void TMySelectionDialog::changeFilter(int index) {
    if (index < 0 || index >= m_filterList->count()) return;
    m_masks = m_filterList->itemData(index).toStringList();
    fillFiles();
}

void TMySelectionDialog::selectFile(const QString& name) {
    const auto found = m_files->findItems(name, Qt::MatchExactly);
    if (!found.isEmpty()) m_files->setCurrentItem(found.first());
}

TMyOpenDialog::TMyOpenDialog(QWidget* parent) : TMySelectionDialog(false, parent) {
    setObjectName(QStringLiteral("MyOpenDialog"));
}

void TMyOpenDialog::BtnOKClick() {
    QListWidgetItem* item = fileList()->currentItem();
    const std::string selected =
        item && item->isSelected() ? folder() + "/" + toPath(item->text()) : std::string();
    setResultFileName(selected);
    if (selected.empty()) {
        // Nothing chosen: Cancel, with an empty file name.
        reject();
        return;
    }
    accept();
}

TMySelDirDialog::TMySelDirDialog(QWidget* parent) : TMySelectionDialog(true, parent) {
    setObjectName(QStringLiteral("MySelDirDialog"));
}

void TMySelDirDialog::BtnOKClick() {
    setResultFolder(folder());
    accept();
}
