#include "small_dialogs.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "analysis_words.h"
#include "multi_lang.h"
#include "qt_multilang.h"
#include "qt_text.h"
#include "single_analysis.h"
#include "vanta_engine.h"

namespace {

QColor colorOfRef(unsigned value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

void paintBackground(QWidget* widget, unsigned color) {
    QPalette colors = widget->palette();
    colors.setColor(QPalette::Base, colorOfRef(color));
    widget->setPalette(colors);
}

QPushButton* button(const QString& caption, const char* name, QWidget* parent) {
    auto* item = new QPushButton(caption, parent);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

// A field's caption in a form, named for the word table.
QLabel* fieldLabel(const char* name, const char* text, QWidget* field, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(field);
    return label;
}

QLineEdit* numberField(const char* name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setMaximumWidth(60);
    return field;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TFormTimeInput::TFormTimeInput(Prompts& prompts, QWidget* parent)
    : QDialog(parent),
      m_prompts(prompts),
      m_title(new QLabel(this)),
      m_hours(numberField("EditHour", this)),
      m_minutes(numberField("EditMin", this)),
      m_seconds(numberField("EditSec", this)) {
    setObjectName(QStringLiteral("FormTimeInput"));
    m_title->setObjectName(QStringLiteral("LblTitle"));
    setCaption("Query Time");
    setTitle("Please enter time");
    auto* fields = new QFormLayout;
    fields->addRow(fieldLabel("LblHour", "Hours", m_hours, this), m_hours);
    fields->addRow(fieldLabel("LblMin", "Minutes", m_minutes, this), m_minutes);
    fields->addRow(fieldLabel("LblSec", "Seconds", m_seconds, this), m_seconds);
    auto* ok = button(QStringLiteral("&OK"), "BtnOK", this);
    ok->setDefault(true);
    auto* cancel = button(QStringLiteral("&Cancel"), "BtnCancel", this);
    connect(ok, &QPushButton::clicked, this, &TFormTimeInput::BtnOKClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // The default caption and title; whoever opens the dialog sets its own after this.
    new TMultiLang(this, kFormTimeInputWords);
}

std::string TFormTimeInput::shortened(const std::string& text) {
    return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

void TFormTimeInput::setCaption(const std::string& caption) {
    setWindowTitle(displayText(shortened(caption)));
}

void TFormTimeInput::setTitle(const std::string& title) {
    m_title->setText(displayText(shortened(title)));
}

QString TFormTimeInput::titleText() const {
    return m_title->text();
}

void TFormTimeInput::setMinimum(int seconds) {
    if (seconds < 0 || seconds > m_maximum) return;
    m_minimum = seconds;
    if (m_value < m_minimum) m_value = m_minimum;
}

void TFormTimeInput::setMaximum(int seconds) {
    if (seconds >= m_minimum) m_maximum = seconds;
}

void TFormTimeInput::setValue(int seconds) {
    if (seconds >= m_minimum && seconds <= m_maximum) m_value = seconds;
}

void TFormTimeInput::OnShow() {
    m_hours->setText(QStringLiteral("%1").arg(m_value / 3600, 2, 10, QLatin1Char('0')));
    m_minutes->setText(QStringLiteral("%1").arg(m_value / 60 % 60, 2, 10, QLatin1Char('0')));
    m_seconds->setText(QStringLiteral("%1").arg(m_value % 60, 2, 10, QLatin1Char('0')));
}

int TFormTimeInput::exec() {
    OnShow();
    return QDialog::exec();
}

void TFormTimeInput::BtnOKClick() {
    struct Field {
        QLineEdit* edit;
        int highest;
        int value = 0;
    };
    Field fields[] = {{m_hours, 99}, {m_minutes, 59}, {m_seconds, 59}};
    for (Field& field : fields) {
        bool number = false;
        field.value = field.edit->text().trimmed().toInt(&number);
        if (!number || field.value < 0 || field.value > field.highest) {
            field.edit->selectAll();
            field.edit->setFocus();
            return;
        }
    }
    int total = fields[0].value * 3600 + fields[1].value * 60 + fields[2].value;
    if (total < m_minimum) {
        m_prompts.message(kCaption, "Time value out of range - set to min. value", Icon::Warning);
        total = m_minimum;
    } else if (total > m_maximum) {
        m_prompts.message(kCaption, "Time value out of range - set to max. value", Icon::Warning);
        total = m_maximum;
    }
    m_value = total;
    accept();
}

// ---------------------------------------------------------------------------------------------

TShowLog::TShowLog(QWidget* parent) : QDialog(parent), m_memo(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("ShowLog"));
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
    auto* close = button(QStringLiteral("&Close"), "BtnClose", this);
    connect(close, &QPushButton::clicked, this, [this] {
        m_memo->clear();
        accept();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_memo);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(640, 480);
    new TMultiLang(this, kShowLogWords);
}

void TShowLog::showLines(const std::string& caption, const std::vector<std::string>& lines) {
    setWindowTitle(displayText(caption));
    m_memo->clear();
    for (const std::string& line : lines)
        m_memo->appendPlainText(displayText(line));
}

// ---------------------------------------------------------------------------------------------

TFormVEinfo::TFormVEinfo(TVantaEngine& engine, unsigned backgroundColor, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormVEinfo"));
    setWindowTitle(QStringLiteral("Brisvane: Vanta Engine Component Info"));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("Vanta Engine Component Information"), this);
    heading->setObjectName(QStringLiteral("LblHeading"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    auto* form = new QFormLayout;
    struct Row {
        const char* name;
        const char* label;
        std::string value;
    };
    const Row rows[] = {
        {"LblVersion", "Component version", std::to_string(engine.Version())},
        {"LblVerDate", "Component version date", engine.VerDate()},
        {"LblCopyright", "Component copyright", engine.Copyright()},
        {"LblDLLVersion", "DLL version",
         "0x" + QStringLiteral("%1")
                    .arg(static_cast<unsigned>(engine.DLLVersion()), 8, 16, QLatin1Char('0'))
                    .toUpper()
                    .toStdString()},
        {"LblDLLVerDate", "DLL version date", engine.DLLVerDate()},
        {"LblDLLPath", "DLL path", engine.DLLPath()},
        {"LblDLLName", "DLL name", engine.DLLName()},
        {"LblMaxInstances", "Max. instances", std::to_string(engine.MaxNoOfInstances())},
        {"LblActInstances", "Act. instances", std::to_string(engine.NoOfInstances())},
    };
    for (const Row& row : rows) {
        auto* field = new QLineEdit(displayText(row.value), this);
        field->setReadOnly(true);
        paintBackground(field, backgroundColor);
        form->addRow(fieldLabel(row.name, row.label, field, this), field);
    }
    layout->addLayout(form);
    auto* ok = button(QStringLiteral("&OK"), "BtnOK", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    resize(460, 0);
    new TMultiLang(this, kFormVEinfoWords);
}

// ---------------------------------------------------------------------------------------------

TFormVanEng::TFormVanEng(EngineControl& engine, const std::string& description,
                         unsigned backgroundColor, QWidget* parent)
    : QDialog(parent),
      m_engine(engine),
      m_watch(std::make_unique<SingleAnalysis::EngineWatch>(description)),
      m_memo(new QPlainTextEdit(this)),
      m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("FormVanEng"));
    m_memo->setObjectName(QStringLiteral("AnalysisArea"));
    m_memo->setReadOnly(true);
    paintBackground(m_memo, backgroundColor);
    auto* stop = button(QStringLiteral("&Stop analysis"), "BtnStop", this);
    auto* cancel = button(QStringLiteral("&Cancel"), "BtnCancel", this);
    connect(stop, &QPushButton::clicked, this, [this] {
        m_timer->stop();
        m_variation = m_watch->keptVariation();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        m_timer->stop();
        m_variation.clear();
        reject();
    });
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &TFormVanEng::tick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(stop);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_memo);
    layout->addLayout(buttons);
    resize(560, 300);
    // The caption follows the engine: OnShow and every tick set it.
    new TMultiLang(this, kFormVanEngWords);
}

TFormVanEng::~TFormVanEng() = default;

void TFormVanEng::OnShow() {
    m_watch->setGerman(currentLanguageColumn() == 0);
    m_watch->reset();
    m_variation.clear();
    setWindowTitle(displayText(m_watch->caption()));
    m_memo->clear();
    m_timer->start();
    findChild<QPushButton*>(QStringLiteral("BtnStop"))->setFocus();
    raise();
}

int TFormVanEng::exec() {
    OnShow();
    return QDialog::exec();
}

void TFormVanEng::tick() {
    const std::size_t before = m_watch->memo().size();
    const bool goesOn = m_watch->tick(m_engine);
    for (std::size_t i = before; i < m_watch->memo().size(); ++i)
        m_memo->appendPlainText(displayText(m_watch->memo()[i]));
    setWindowTitle(displayText(m_watch->caption()));
    if (!goesOn) {
        m_timer->stop();
        raise();
        activateWindow();
    }
}
