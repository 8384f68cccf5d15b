#pragma once

#include <string>
#include <vector>

#include <QDialog>

class QComboBox;
class QListWidget;
class QPushButton;

// The program's own selection dialogs: a drive list, a folder list, a file list and a filter
// list. TMyOpenDialog picks a file (FileName), TMySelDirDialog a folder (InitialDir). The
// caller sets the properties, runs exec() and reads the result; setting a property to an
// empty text leaves it as it is.
class TMySelectionDialog : public QDialog {
    Q_OBJECT

public:
    void setTitle(const std::string& title);
    void setFilter(const std::string& filter);
    void setInitialDir(const std::string& folder);
    void setFileName(const std::string& name);
    const std::string& title() const { return m_title; }
    const std::string& filter() const { return m_filter; }
    const std::string& initialDir() const { return m_initialDir; }
    const std::string& fileName() const { return m_fileName; }

    // The folder the file list shows, and the files it lists.
    const std::string& folder() const { return m_folder; }
    QStringList files() const;
    // Moves the folder list and the file list to a folder, as a double click there does.
    void changeFolder(const std::string& folder);
    void changeDrive(int index);
    void changeFilter(int index);
    void selectFile(const QString& name);

    // Shows the properties; runs once for each showing the caller asks for.
    void OnShow();
    int exec() override;

protected:
    TMySelectionDialog(bool pickFolder, QWidget* parent);
    virtual void BtnOKClick() = 0;
    QListWidget* fileList() const { return m_files; }
    // The results of OK, set even when empty.
    void setResultFileName(std::string name) { m_fileName = std::move(name); }
    void setResultFolder(std::string folder) { m_initialDir = std::move(folder); }

private:
    void fillFolders();
    void fillFiles();

    bool m_pickFolder;
    // The default title, in English; the window shows it in the program's language.
    std::string m_title = "Open file";
    bool m_titleGiven = false;
    std::string m_filter = "All files (*.*)|*.*";
    std::string m_initialDir;
    std::string m_fileName;
    std::string m_folder;
    QStringList m_masks;
    std::vector<std::string> m_drives;
    QComboBox* m_driveList;
    QListWidget* m_folders;
    QListWidget* m_files;
    QComboBox* m_filterList;
};

class TMyOpenDialog : public TMySelectionDialog {
    Q_OBJECT

public:
    explicit TMyOpenDialog(QWidget* parent = nullptr);

private:
    void BtnOKClick() override;
};

class TMySelDirDialog : public TMySelectionDialog {
    Q_OBJECT

public:
    explicit TMySelDirDialog(QWidget* parent = nullptr);

private:
    void BtnOKClick() override;
};
