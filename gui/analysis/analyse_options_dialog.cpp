#include "analyse_options_dialog.h"

#include <filesystem>
#include <memory>
#include <vector>

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

#include "analysis_words.h"
#include "file_dialogs.h"
#include "multi_lang.h"
#include "qt_multilang.h"
#include "qt_text.h"
#include "shell_words.h"
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

// A field's caption in the form, named for the word table.
QLabel* fieldLabel(const char* name, const char* text, QWidget* field, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(field);
    return label;
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
    crafty->addRow(fieldLabel("LblCrafty", "Crafty location", m_paths[1], this), m_paths[1]);
    m_changeToCrafty = new QCheckBox(QStringLiteral("Change to Crafty location"), this);
    m_changeToCrafty->setObjectName(QStringLiteral("CBChangeToCrafty"));
    crafty->addRow(m_changeToCrafty);

    QFormLayout* vanta9 = page("TSVanta9");
    m_paths[2] = pathField("EditVanta9", this);
    vanta9->addRow(fieldLabel("LblVanta9", "Vanta 9 location", m_paths[2], this), m_paths[2]);
    m_hashV9 = hashList("CBHashSizeV9", this);
    vanta9->addRow(fieldLabel("LblHashSizeV9", "Hashtable size", m_hashV9, this), m_hashV9);
    m_waitV9 = new QCheckBox(QStringLiteral("Wait for analysis result"), this);
    m_waitV9->setObjectName(QStringLiteral("CBWaitV9"));
    vanta9->addRow(m_waitV9);

    QFormLayout* engine = page("TSVantaEngine");
    m_paths[3] = pathField("EditVantaEngine", this);
    engine->addRow(fieldLabel("LblVantaEngine", "Vanta engine location", m_paths[3], this),
                   m_paths[3]);
    m_hashVE = hashList("CBHashSizeVE", this);
    engine->addRow(fieldLabel("LblHashSizeVE", " Hashtable size", m_hashVE, this), m_hashVE);
    m_selectEngine = new QComboBox(this);
    m_selectEngine->setObjectName(QStringLiteral("CBSelectEngine"));
    m_selectEngine->addItems({QStringLiteral("Vanta Cyclor 2"), QStringLiteral("Vanta 9")});
    engine->addRow(fieldLabel("LblSelectEngine", "Select engine", m_selectEngine, this),
                   m_selectEngine);
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
    generic->addRow(fieldLabel("LblGeneric", "Generic location", m_paths[4], this), m_paths[4]);
    m_changeToGeneric = new QCheckBox(QStringLiteral("Change to generic location"), this);
    m_changeToGeneric->setObjectName(QStringLiteral("CBChangeToGeneric"));
    generic->addRow(m_changeToGeneric);
    m_genericCmdLine = new QLineEdit(this);
    m_genericCmdLine->setObjectName(QStringLiteral("EditGenericCmdLine"));
    generic->addRow(fieldLabel("LblGenericCmdLine", "Generic command line", m_genericCmdLine, this),
                    m_genericCmdLine);
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

    // The table names the path fields for their hints, which empties them: what they hold
    // comes back after the switch, as does the engine picture's hint in the new language.
    auto* words = new TMultiLang(this, kAnalyseOptsWords);
    auto held = std::make_shared<std::vector<QString>>();
    words->language().BeforeLanguageChange = [this, held](int, bool&) {
        held->clear();
        for (int engineIndex = 1; engineIndex <= 4; ++engineIndex)
            held->push_back(m_paths[engineIndex]->text());
    };
    words->language().AfterLanguageChanged = [this, held](int) {
        for (std::size_t i = 0; i < held->size(); ++i)
            m_paths[i + 1]->setText(held->at(i));
        if (m_pictureHint) showPictureHint(m_pictureHint);
    };
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
    showPictureHint(m_selectEngine->currentIndex() == 1 ? "HintToCyclor" : "HintToVanta9");
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
    // The selectors' titles and filters, as keys of kAnalysisTexts.
    static const char* const kinds[] = {"", "Crafty", "Vanta9", "VantaEngine", "Generic"};
    if (engine < 1 || engine > 4) return;
    const std::string kind = kinds[engine];
    const int column = currentLanguageColumn();
    auto text = [column](const std::string& key) { return wordOf(kAnalysisTexts, key, column); };
    const std::string current = toBytes(m_paths[engine]->text());
    // Programs have no extension here: every file is offered too.
    const std::string all = text("FilterAllFiles");
    std::optional<std::string> chosen;
    if (m_setup.ownFileSelector) {
        TMyOpenDialog dialog(this);
        dialog.setTitle(text("OwnSelect" + kind));
        dialog.setFilter(text("OwnFilter" + kind) + all);
        dialog.setInitialDir(folderOf(current));
        dialog.setFileName(fileNameOf(current));
        if (dialog.exec() == QDialog::Accepted) chosen = dialog.fileName();
    } else {
        FileDialogRequest request;
        request.title = text("Select" + kind);
        request.filter = text("Filter" + kind) + all;
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
        showPictureHint("HintToVanta9");
    } else if (isFile(vanta9)) {
        m_paths[3]->setText(displayText(vanta9));
        m_selectEngine->setCurrentIndex(1);
        m_hashVE->setCurrentIndex(4);
        showPictureHint("HintToCyclor");
    }
}

void TAnalyseOpts::showPictureHint(const char* key) {
    m_pictureHint = key;
    m_picture->setToolTip(displayText(wordOf(kAnalysisTexts, key, currentLanguageColumn())));
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
