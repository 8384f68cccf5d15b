#include "analyse_options_dialog.h"

#include <filesystem>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "file_dialogs.h"
#include "qt_text.h"
#include "text_file.h"

namespace {

const char* const kHashEntries[] = {"256 kB", "512 kB", " 1 MB", " 2 MB",
                                    " 4 MB",  "13 MB",  "28 MB"};

QComboBox* hashList(const char* name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    for (const char* entry : kHashEntries)
        list->addItem(QString::fromLatin1(entry));
    return list;
}

QLineEdit* pathField(const char* name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(true);
    field->setToolTip(QStringLiteral("Click to choose the program"));
    return field;
}

// A path field opens its selector when clicked.
class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> onClick)
        : QObject(parent), m_onClick(std::move(onClick)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress) return false;
        m_onClick();
        return true;
    }

private:
    std::function<void()> m_onClick;
};

bool isFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

TAnalyseOpts::TAnalyseOpts(Prompts& prompts, Setup setup, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_setup(std::move(setup)) {
    setObjectName(QStringLiteral("AnalyseOpts"));
    setWindowTitle(QStringLiteral("Brisvane: Analyse Options"));

    auto* programs = new QGroupBox(QStringLiteral("Choose analyse program"), this);
    programs->setObjectName(QStringLiteral("RGAnalyseProgram"));
    auto* programLayout = new QVBoxLayout(programs);
    const char* const names[] = {"RBNone", "RBCrafty", "RBVanta9", "RBVantaEngine", "RBGeneric"};
    const char* const captions[] = {"None", "Crafty", "Vanta 9", "Vanta Engine", "Generic"};
    for (int i = 0; i < 5; ++i) {
        m_choice[i] = new QRadioButton(QString::fromLatin1(captions[i]), programs);
        m_choice[i]->setObjectName(QString::fromLatin1(names[i]));
        programLayout->addWidget(m_choice[i]);
        connect(m_choice[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) showPage(i == 0 ? 1 : i);
        });
    }
    programLayout->addStretch();

    auto* options = new QGroupBox(QStringLiteral("Analyse program options"), this);
    options->setObjectName(QStringLiteral("GroupBoxOptions"));
    m_pages = new QStackedWidget(options);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    (new QVBoxLayout(options))->addWidget(m_pages);
    m_paths[0] = nullptr;
    auto page = [this](const char* name) {
        auto* widget = new QWidget(m_pages);
        widget->setObjectName(QString::fromLatin1(name));
        m_pages->addWidget(widget);
        return new QFormLayout(widget);
    };

    QFormLayout* crafty = page("TSCrafty");
    m_paths[1] = pathField("EditCrafty", this);
    crafty->addRow(QStringLiteral("Crafty location"), m_paths[1]);
    m_changeToCrafty = new QCheckBox(QStringLiteral("Change to Crafty location"), this);
    m_changeToCrafty->setObjectName(QStringLiteral("CBChangeToCrafty"));
    crafty->addRow(m_changeToCrafty);

    QFormLayout* vanta9 = page("TSVanta9");
    m_paths[2] = pathField("EditVanta9", this);
    vanta9->addRow(QStringLiteral("Vanta 9 location"), m_paths[2]);
    m_hashV9 = hashList("CBHashSizeV9", this);
    vanta9->addRow(QStringLiteral("Hashtable size"), m_hashV9);
    m_waitV9 = new QCheckBox(QStringLiteral("Wait for analysis result"), this);
    m_waitV9->setObjectName(QStringLiteral("CBWaitV9"));
    vanta9->addRow(m_waitV9);

    QFormLayout* engine = page("TSVantaEngine");
    m_paths[3] = pathField("EditVantaEngine", this);
    engine->addRow(QStringLiteral("Vanta engine location"), m_paths[3]);
    m_hashVE = hashList("CBHashSizeVE", this);
    engine->addRow(QStringLiteral(" Hashtable size"), m_hashVE);
    m_selectEngine = new QComboBox(this);
    m_selectEngine->setObjectName(QStringLiteral("CBSelectEngine"));
    m_selectEngine->addItems({QStringLiteral("Vanta Cyclor 2"), QStringLiteral("Vanta 9")});
    engine->addRow(QStringLiteral("Select engine"), m_selectEngine);
    auto* tools = new QHBoxLayout;
    m_picture = new QToolButton(this);
    m_picture->setObjectName(QStringLiteral("SpeedBtnEngine"));
    m_picture->setText(QStringLiteral("Vanta"));
    connect(m_picture, &QToolButton::clicked, this, &TAnalyseOpts::toggleAddOnEngine);
    m_info = new QToolButton(this);
    m_info->setObjectName(QStringLiteral("SpeedBtnVEinfo"));
    m_info->setText(QStringLiteral("Info"));
    m_info->setToolTip(QStringLiteral("Vanta engine component information"));
    connect(m_info, &QToolButton::clicked, this, [this] {
        if (m_setup.showEngineInfoDialog) m_setup.showEngineInfoDialog();
    });
    m_info->setVisible(m_setup.showEngineInfo);
    m_info->setEnabled(m_setup.showEngineInfo);
    tools->addWidget(m_picture);
    tools->addWidget(m_info);
    tools->addStretch();
    engine->addRow(tools);

    QFormLayout* generic = page("TSGeneric");
    m_paths[4] = pathField("EditGeneric", this);
    generic->addRow(QStringLiteral("Generic location"), m_paths[4]);
    m_changeToGeneric = new QCheckBox(QStringLiteral("Change to generic location"), this);
    m_changeToGeneric->setObjectName(QStringLiteral("CBChangeToGeneric"));
    generic->addRow(m_changeToGeneric);
    m_genericCmdLine = new QLineEdit(this);
    m_genericCmdLine->setObjectName(QStringLiteral("EditGenericCmdLine"));
    generic->addRow(QStringLiteral("Generic command line"), m_genericCmdLine);
    m_useEpd = new QRadioButton(QStringLiteral("Use EPD file"), this);
    m_useEpd->setObjectName(QStringLiteral("RBUseEPD"));
    m_usePgn = new QRadioButton(QStringLiteral("Use PGN file"), this);
    m_usePgn->setObjectName(QStringLiteral("RBUsePGN"));
    auto* files = new QHBoxLayout;
    files->addWidget(m_useEpd);
    files->addWidget(m_usePgn);
    generic->addRow(files);

    for (int engineIndex = 1; engineIndex <= 4; ++engineIndex)
        m_paths[engineIndex]->installEventFilter(
            new ClickFilter(this, [this, engineIndex] { choosePath(engineIndex); }));

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("BtnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("BtnCancel"));
    connect(ok, &QPushButton::clicked, this, &TAnalyseOpts::BtnOKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* body = new QHBoxLayout;
    body->addWidget(programs);
    body->addWidget(options, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(buttons);
    setFixedSize(640, 300);
}

void TAnalyseOpts::showPage(int page) {
    m_pages->setCurrentIndex(page - 1);
}

int TAnalyseOpts::currentPage() const {
    return m_pages->currentIndex() + 1;
}

void TAnalyseOpts::OnShow() {
    m_changed = false;
    const AnalyseChoice c = AnalyseChoice::of(m_options);
    const int selection = c.selection == 3 && !m_setup.libraryAvailable ? 0 : c.selection;
    m_choice[selection]->setChecked(true);
    showPage(selection == 0 ? 1 : selection);
    m_paths[1]->setText(displayText(c.crafty));
    m_paths[2]->setText(displayText(c.vanta9));
    m_paths[3]->setText(displayText(c.vantaEngine));
    m_paths[4]->setText(displayText(c.generic));
    m_changeToCrafty->setChecked(c.changeToCraftyLocation);
    m_hashV9->setCurrentIndex(c.hashSizeV9Index);
    m_waitV9->setChecked(c.waitV9Result);
    m_hashVE->setCurrentIndex(c.hashSizeVEIndex);
    m_selectEngine->setCurrentIndex(c.selectEngineIndex);
    m_changeToGeneric->setChecked(c.changeToGenericLocation);
    m_genericCmdLine->setText(displayText(c.genericCmdLine));
    (c.genericEpdFile ? m_useEpd : m_usePgn)->setChecked(true);
    m_picture->setToolTip(m_selectEngine->currentIndex() == 1
                              ? QStringLiteral("Click for reconfiguring with Vanta Cyclor 2 engine")
                              : QStringLiteral("Click for reconfiguring with Vanta 9 engine"));
}

int TAnalyseOpts::exec() {
    OnShow();
    return QDialog::exec();
}

AnalyseChoice TAnalyseOpts::choice() const {
    AnalyseChoice c;
    for (int i = 0; i < 5; ++i)
        if (m_choice[i]->isChecked()) c.selection = i;
    c.crafty = toBytes(m_paths[1]->text());
    c.changeToCraftyLocation = m_changeToCrafty->isChecked();
    c.vanta9 = toBytes(m_paths[2]->text());
    c.hashSizeV9Index = m_hashV9->currentIndex();
    c.waitV9Result = m_waitV9->isChecked();
    c.vantaEngine = toBytes(m_paths[3]->text());
    c.hashSizeVEIndex = m_hashVE->currentIndex();
    c.selectEngineIndex = m_selectEngine->currentIndex();
    c.generic = toBytes(m_paths[4]->text());
    c.changeToGenericLocation = m_changeToGeneric->isChecked();
    c.genericCmdLine = toBytes(m_genericCmdLine->text());
    c.genericEpdFile = m_useEpd->isChecked();
    return c;
}

void TAnalyseOpts::choosePath(int engine) {
    struct Selector {
        const char* title;
        const char* filter;
        const char* ownTitle;
        const char* ownFilter;
    };
    static const Selector selectors[] = {
        {},
        {"Select Crafty location", "Crafty (*.EXE)|*.EXE", "Brisvane: Select Crafty location",
         "Crafty (*.EXE)|*.EXE|Crafty PIF file (*.PIF)|*.PIF"},
        {"Select Vanta 9 location", "Vanta 9 (*.EXE)|*.EXE", "Brisvane: Select Vanta 9 location",
         "Vanta 9 (*.EXE)|*.EXE|Vanta 9 PIF file (*.PIF)|*.PIF"},
        {"Select Vanta engine location", "Vanta Engine (*.EXE)|*.EXE",
         "Brisvane: Select Vanta engine location",
         "Vanta engine (*.EXE)|*.EXE|Vanta engine PIF file (*.PIF)|*.PIF"},
        {"Select Generic location", "Program (*.EXE)|*.EXE|Batch (*.BAT)|*.BAT",
         "Brisvane: Select Generic location",
         "Program (*.EXE)|*.EXE|PIF file (*.PIF)|*.PIF|Batch (*.BAT)|*.BAT"},
    };
    if (engine < 1 || engine > 4) return;
    const Selector& s = selectors[engine];
    const std::string current = toBytes(m_paths[engine]->text());
    // Programs have no extension here: every file is offered too.
    const std::string all = "|All files (*)|*";
    std::optional<std::string> chosen;
    if (m_setup.ownFileSelector) {
        TMyOpenDialog dialog(this);
        dialog.setTitle(s.ownTitle);
        dialog.setFilter(std::string(s.ownFilter) + all);
        dialog.setInitialDir(folderOf(current));
        dialog.setFileName(fileNameOf(current));
        if (dialog.exec() == QDialog::Accepted) chosen = dialog.fileName();
    } else {
        FileDialogRequest request;
        request.title = s.title;
        request.filter = std::string(s.filter) + all;
        request.initialDir = folderOf(current);
        chosen = m_prompts.chooseOpenFile(request);
    }
    if (chosen && !chosen->empty()) m_paths[engine]->setText(displayText(*chosen));
}

void TAnalyseOpts::toggleAddOnEngine() {
    const std::string cyclor = m_setup.addOnFolder + "/EngCyc2/Vanta";
    const std::string vanta9 = m_setup.addOnFolder + "/EngV9/Vanta";
    if (m_selectEngine->currentIndex() == 1 && isFile(cyclor)) {
        m_paths[3]->setText(displayText(cyclor));
        m_selectEngine->setCurrentIndex(0);
        m_hashVE->setCurrentIndex(0);
        m_picture->setToolTip(QStringLiteral("Click for reconfiguring with Vanta 9 engine"));
    } else if (isFile(vanta9)) {
        m_paths[3]->setText(displayText(vanta9));
        m_selectEngine->setCurrentIndex(1);
        m_hashVE->setCurrentIndex(4);
        m_picture->setToolTip(QStringLiteral("Click for reconfiguring with Vanta Cyclor 2 engine"));
    }
}

void TAnalyseOpts::BtnOKClick() {
    AnalyseChoice c = choice();
    // Past the library check the edited values are kept, even when the dialog stays open for a
    // missing path; only the engine choice waits until everything is in order.
    if (c.selection != 3 || m_setup.libraryAvailable) {
        AnalyseChoice values = c;
        values.selection = m_options.selection;
        m_changed = storeAnalyseChoice(values, m_options) || m_changed;
    }
    if (const auto refusal = checkAnalyseChoice(c, m_setup.libraryAvailable)) {
        if (refusal->repairedCommandLine)
            m_genericCmdLine->setText(displayText(*refusal->repairedCommandLine));
        if (refusal->page > 0) showPage(refusal->page);
        m_prompts.message(kCaption, refusal->message, refusal->icon);
        if (refusal->page > 0 && refusal->page <= 4 && !refusal->repairedCommandLine)
            m_paths[refusal->page]->setFocus();
        return;
    }
    m_changed = storeAnalyseChoice(c, m_options) || m_changed;
    accept();
}
