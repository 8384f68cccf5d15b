#include "select_dialogs.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "fnp_list_box.h"
#include "qbx_listing.h"

namespace {

QPushButton* addButton(QHBoxLayout* row, const char* name) {
    auto* button = new QPushButton;
    button->setObjectName(QLatin1String(name));
    row->addWidget(button);
    return button;
}

// The list below its header row, the widths given by the header.
TFnpListBox* addList(QVBoxLayout* layout, const char* name,
                     std::vector<FnpHeaderRow::Caption> captions, std::vector<TFnpCol> cols,
                     int listWidth, QWidget* parent) {
    int width = 0;
    for (const auto& caption : captions)
        width += caption.width;
    auto* header = new FnpHeaderRow(std::move(captions), parent);
    header->setFixedWidth(width);
    auto* list = new TFnpListBox(parent);
    list->setObjectName(QLatin1String(name));
    list->Cols = std::move(cols);
    list->DelimChar = '|';
    list->setFixedSize(listWidth, 13 * 20 + 4);
    layout->addWidget(header);
    layout->addWidget(list);
    return list;
}

}  // namespace

TPGNselect::TPGNselect(PgnSelection& selection, QWidget* parent)
    : QDialog(parent), m_selection(selection) {
    setObjectName(QStringLiteral("PGNselect"));
    auto* layout = new QVBoxLayout(this);
    m_list = addList(layout, "FPLBselPGN",
                     {{QStringLiteral("Event"), 90},
                      {QStringLiteral("Site"), 90},
                      {QStringLiteral("Date"), 77},
                      {QStringLiteral("Round"), 50},
                      {QStringLiteral("White"), 100},
                      {QStringLiteral("Black"), 100},
                      {QStringLiteral("Result"), 50}},
                     {{87, Qt::AlignLeft},
                      {87, Qt::AlignLeft},
                      {74, Qt::AlignHCenter},
                      {47, Qt::AlignHCenter},
                      {97, Qt::AlignLeft},
                      {97, Qt::AlignLeft},
                      {47, Qt::AlignHCenter}},
                     577, this);
    m_list->entries()->count = [this] { return m_selection.games().size(); };
    m_list->entries()->entry = [this](std::size_t row) { return m_selection.games().entry(row); };
    m_label = new QLabel(QStringLiteral("0/0"), this);
    m_label->setObjectName(QStringLiteral("LblIndex"));
    layout->addWidget(m_label);
    auto* buttons = new QHBoxLayout;
    m_ok = addButton(buttons, "BtnOK");
    m_cancel = addButton(buttons, "BtnCancel");
    m_change = addButton(buttons, "BtnChange");
    buttons->addStretch();
    layout->addLayout(buttons);
    m_ok->setDefault(true);

    m_selection.listChanged = [this] { m_list->entries()->reset(); };
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        m_selection.selectRow(m_list->itemIndex());
        showLabel();
    });
    connect(m_list, &QListView::doubleClicked, this, [this] { BtnOKClick(); });
    connect(m_ok, &QPushButton::clicked, this, [this] { BtnOKClick(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_change, &QPushButton::clicked, this, [this] {
        if (!m_selection.changeFile()) return;
        m_list->setItemIndex(m_selection.firstRow());
        showLabel();
        m_list->setFocus();
    });
}

void TPGNselect::applyTexts() {
    const bool german = m_selection.german();
    setWindowTitle(QString::fromStdString(m_selection.caption()));
    m_ok->setText(QStringLiteral("&OK"));
    m_cancel->setText(german ? QStringLiteral("&Abbrechen") : QStringLiteral("&Cancel"));
    m_change->setText(german ? QStringLiteral("Andere &PGN Datei")
                             : QStringLiteral("Change &PGN file"));
}

void TPGNselect::showLabel() {
    m_label->setText(QString::fromStdString(m_selection.label()));
}

int TPGNselect::exec() {
    applyTexts();
    if (!m_selection.show()) {
        setResult(QDialog::Rejected);
        return QDialog::Rejected;
    }
    m_list->setItemIndex(m_selection.firstRow());
    showLabel();
    m_list->setFocus();
    return QDialog::exec();
}

void TPGNselect::reject() {
    // Cancel, Escape and the close button alike.
    m_selection.cancel();
    QDialog::reject();
}

void TPGNselect::BtnOKClick() {
    if (m_selection.accept(m_list->itemIndex())) accept();
}

TQBXselect::TQBXselect(Prompts& prompts, std::string folder, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_folder(std::move(folder)) {
    setObjectName(QStringLiteral("QBXselect"));
    setWindowTitle(QStringLiteral("Brisvane: Select game from QBX file"));
    auto* layout = new QVBoxLayout(this);
    m_list = addList(layout, "FPLBselQBX",
                     {{QStringLiteral("Event"), 90},
                      {QStringLiteral("Site"), 50},
                      {QStringLiteral("Date"), 77},
                      {QStringLiteral("Round"), 50},
                      {QStringLiteral("White"), 120},
                      {QStringLiteral("Black"), 120},
                      {QStringLiteral("Result"), 50}},
                     {{87, Qt::AlignLeft},
                      {47, Qt::AlignLeft},
                      {74, Qt::AlignHCenter},
                      {47, Qt::AlignHCenter},
                      {117, Qt::AlignLeft},
                      {117, Qt::AlignLeft},
                      {67, Qt::AlignHCenter},
                      {96, Qt::AlignLeft}},
                     // The eighth column, the file name, starts beyond the visible width.
                     574, this);
    m_list->entries()->count = [this] { return m_entries.size(); };
    m_list->entries()->entry = [this](std::size_t row) -> std::string_view {
        return m_entries[row];
    };
    auto* buttons = new QHBoxLayout;
    QPushButton* ok = addButton(buttons, "BtnOK");
    QPushButton* cancel = addButton(buttons, "BtnCancel");
    ok->setText(QStringLiteral("&OK"));
    cancel->setText(QStringLiteral("&Cancel"));
    ok->setDefault(true);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(m_list, &QListView::doubleClicked, this, [this] { BtnOKClick(); });
    connect(ok, &QPushButton::clicked, this, [this] { BtnOKClick(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TQBXselect::exec() {
    m_chosen.clear();
    QbxListing listing = listQbxFolder(m_folder);
    for (const auto& message : listing.messages)
        m_prompts.message(kCaption, message, Icon::Error);
    if (!listing.error.empty()) m_prompts.message(kCaption, listing.error, Icon::Error);
    if (!listing.folderExists) {
        setResult(QDialog::Rejected);
        return QDialog::Rejected;
    }
    m_entries = std::move(listing.entries);
    m_files = std::move(listing.files);
    m_list->entries()->reset();
    m_list->setItemIndex(m_entries.empty() ? -1 : 0);
    m_list->setFocus();
    return QDialog::exec();
}

void TQBXselect::BtnOKClick() {
    const int row = m_list->itemIndex();
    if (row >= 0) {
        const bool separated = !m_folder.empty() && m_folder.back() == '/';
        m_chosen = m_folder + (separated ? "" : "/") + m_files[static_cast<std::size_t>(row)];
    }
    accept();
}
