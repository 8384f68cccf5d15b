#include "opcode_dialog.h"

#include <algorithm>
#include <limits>
#include <memory>

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValidator>

#include "qt_multilang.h"
#include "shell_words.h"

namespace {

// Lets the user type no more than `limit` characters into a field, while a longer text the
// program puts there (fill) stays whole: the field may hold up to that text's length, so it can
// be shortened and edited (undo and redo included) but never grow past it.
class TypingLimit : public QValidator {
public:
    TypingLimit(QLineEdit* edit, int limit) : QValidator(edit), m_limit(limit), m_allowed(limit) {}
    State validate(QString& input, int&) const override {
        return input.size() > m_allowed ? Invalid : Acceptable;
    }
    void fill(QLineEdit* edit, const QString& text) {
        m_allowed = std::max<qsizetype>(m_limit, text.size());
        edit->setText(text);
    }

private:
    qsizetype m_limit;
    qsizetype m_allowed;
};

void fillField(QLineEdit* edit, const QString& text) {
    if (auto* limit = dynamic_cast<TypingLimit*>(const_cast<QValidator*>(edit->validator())))
        limit->fill(edit, text);
    else
        edit->setText(text);
}

}  // namespace

TOpcodeSetup::TOpcodeSetup(Prompts& prompts, QWidget* parent)
    : QDialog(parent),
      m_prompts(prompts),
      m_pages(new QTabWidget(this)),
      m_keptLine(new QLineEdit(this)) {
    setObjectName(QStringLiteral("OpcodeSetup"));
    setWindowTitle(QStringLiteral("Brisvane: EPD Opcode Editor"));
    m_pages->setObjectName(QStringLiteral("PageControl1"));

    std::vector<QFormLayout*> forms;
    for (int page = 0; page < 6; ++page) {
        auto* widget = new QWidget(m_pages);
        const auto which = static_cast<OpcodePage>(page);
        widget->setObjectName(QString::fromLatin1(
            pageComponent(which).data(), static_cast<qsizetype>(pageComponent(which).size())));
        auto* form = new QFormLayout(widget);
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        forms.push_back(form);
        m_pageWidgets.push_back(widget);
        m_pages->addTab(widget,
                        QString::fromLatin1(pageTitle(which).data(),
                                            static_cast<qsizetype>(pageTitle(which).size())));
    }

    for (const OpcodeInfo& info : opcodeTable()) {
        QWidget* page = m_pageWidgets[static_cast<std::size_t>(info.page)];
        const QString name = QString::fromLatin1(info.component.data(),
                                                 static_cast<qsizetype>(info.component.size()));
        const QString opcode =
            QString::fromLatin1(info.opcode.data(), static_cast<qsizetype>(info.opcode.size()));
        QWidget* editor;
        if (info.kind == OperandKind::Flag) {
            editor = new QCheckBox(opcode, page);
            forms[static_cast<std::size_t>(info.page)]->addRow(editor);
        } else {
            auto* edit = new QLineEdit(page);
            // No operand the program puts there is cut (Qt's default limit is 32767).
            edit->setMaxLength(std::numeric_limits<int>::max());
            if (info.maxLength() > 0) edit->setValidator(new TypingLimit(edit, info.maxLength()));
            editor = edit;
            auto* label = new QLabel(opcode, page);
            label->setObjectName(QStringLiteral("LB") + opcode);
            label->setBuddy(edit);
            forms[static_cast<std::size_t>(info.page)]->addRow(label, edit);
        }
        editor->setObjectName(name);
        if (!info.hint.empty())
            editor->setToolTip(
                QString::fromLatin1(info.hint.data(), static_cast<qsizetype>(info.hint.size())));
        m_editors.push_back(editor);
    }

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("BtnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("BtnCancel"));
    connect(ok, &QPushButton::clicked, this, &TOpcodeSetup::BtnOKClick);
    connect(cancel, &QPushButton::clicked, this, &TOpcodeSetup::BtnCancelClick);

    m_keptLine->setObjectName(QStringLiteral("TEkept"));
    m_keptLine->setReadOnly(true);
    m_keptLine->setMaxLength(std::numeric_limits<int>::max());
    m_keptLine->setToolTip(
        QStringLiteral("operations without a field, written back as they stand"));
    auto* keptLabel = new QLabel(QStringLiteral("Kept as written:"), this);
    keptLabel->setObjectName(QStringLiteral("LblKept"));
    keptLabel->setBuddy(m_keptLine);
    auto* kept = new QHBoxLayout;
    kept->addWidget(keptLabel);
    kept->addWidget(m_keptLine, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(kept);
    layout->addLayout(buttons);
    setFixedSize(520, 420);

    // The table names the text fields for their hints, which empties them: what they hold
    // comes back after the switch.
    auto* words = new TMultiLang(this, kOpcodeSetupWords);
    auto held = std::make_shared<std::vector<QString>>();
    words->language().BeforeLanguageChange = [this, held](int, bool&) {
        held->clear();
        for (const QLineEdit* edit : findChildren<QLineEdit*>())
            held->push_back(edit->text());
    };
    words->language().AfterLanguageChanged = [this, held](int) {
        const QList<QLineEdit*> edits = findChildren<QLineEdit*>();
        for (qsizetype i = 0; i < edits.size() && i < static_cast<qsizetype>(held->size()); ++i)
            edits[i]->setText((*held)[static_cast<std::size_t>(i)]);
        m_keptLine->setCursorPosition(0);
    };
}

QLineEdit* TOpcodeSetup::field(std::string_view opcode) const {
    const auto index = opcodeIndex(opcode);
    return index ? qobject_cast<QLineEdit*>(m_editors[*index]) : nullptr;
}

QCheckBox* TOpcodeSetup::box(std::string_view opcode) const {
    const auto index = opcodeIndex(opcode);
    return index ? qobject_cast<QCheckBox*>(m_editors[*index]) : nullptr;
}

OpcodeFields TOpcodeSetup::fieldsFromWidgets() const {
    OpcodeFields fields = m_shown;  // with what is kept as it stood
    for (std::size_t i = 0; i < m_editors.size(); ++i) {
        if (auto* check = qobject_cast<QCheckBox*>(m_editors[i]))
            fields.setChecked(i, check->isChecked());
        else {
            // A field the user left alone keeps its bytes, also when they are not UTF-8.
            const QString text = static_cast<QLineEdit*>(m_editors[i])->text();
            const std::string& shown = m_shown.value(i);
            if (text == shownText(shown))
                fields.setValue(i, shown);
            else
                fields.setValue(i, toBytes(text, m_encoding));
        }
    }
    return fields;
}

void TOpcodeSetup::widgetsFromFields(const OpcodeFields& fields) {
    m_shown = fields;
    for (std::size_t i = 0; i < m_editors.size(); ++i) {
        if (auto* check = qobject_cast<QCheckBox*>(m_editors[i]))
            check->setChecked(fields.checked(i));
        else
            fillField(static_cast<QLineEdit*>(m_editors[i]), shownText(fields.value(i)));
    }
    m_keptLine->setText(shownText(fields.keptOperations()));
    m_keptLine->setCursorPosition(0);
}

int TOpcodeSetup::exec() {
    OnShow();
    return QDialog::exec();
}

void TOpcodeSetup::OnShow() {
    m_accepted = false;
    m_encoding = encodingOf(m_operations);
    OpcodeFields fields;
    const auto messages = readOperations(m_operations, fields);
    widgetsFromFields(fields);
    for (const auto& message : messages)
        m_prompts.message(kCaption, message, Icon::Error);
    m_pages->setCurrentIndex(0);
    field("id")->setFocus();
}

QString TOpcodeSetup::shownText(std::string_view bytes) const {
    return m_encoding == TextEncoding::Latin1
               ? QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()))
               : displayText(bytes);
}

std::optional<OpcodeCheckFailure> TOpcodeSetup::unwritableField() const {
    if (m_encoding != TextEncoding::Latin1) return std::nullopt;
    for (std::size_t i = 0; i < m_editors.size(); ++i) {
        const auto* edit = qobject_cast<QLineEdit*>(m_editors[i]);
        if (!edit) continue;
        const QString text = edit->text();
        if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xFF; }))
            return OpcodeCheckFailure{
                i, "opcode " + std::string(opcodeTable()[i].opcode) +
                       ": operand holds characters that a Latin-1 line cannot hold"};
    }
    return std::nullopt;
}

void TOpcodeSetup::BtnOKClick() {
    // A line read as Latin-1 is written as Latin-1: what it cannot hold is not turned into "?".
    auto failure = unwritableField();
    OpcodeFields fields = fieldsFromWidgets();
    if (!failure) {
        failure = checkOperations(fields);
        widgetsFromFields(fields);  // the text fields come back trimmed
    }
    if (failure) {
        const OpcodeInfo& info = opcodeTable()[failure->index];
        m_pages->setCurrentWidget(m_pageWidgets[static_cast<std::size_t>(info.page)]);
        m_prompts.message(kCaption, failure->message, Icon::Error);
        m_editors[failure->index]->setFocus();
        return;
    }
    m_operations = buildOperations(fields);
    m_accepted = true;
    accept();
}

void TOpcodeSetup::BtnCancelClick() {
    m_accepted = false;
    reject();
}

std::optional<std::string> TOpcodeSetup::edit(Prompts& prompts, const std::string& operations,
                                              QWidget* parent) {
    TOpcodeSetup dialog(prompts, parent);
    dialog.setOperations(operations);
    dialog.exec();
    if (!dialog.accepted()) return std::nullopt;
    return dialog.operations();
}
