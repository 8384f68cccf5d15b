#include "opcode_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "qt_prompts.h"

TOpcodeSetup::TOpcodeSetup(Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_pages(new QTabWidget(this)) {
    setObjectName(QStringLiteral("OpcodeSetup"));
    setWindowTitle(QStringLiteral("Brisvane: EPD Opcode Editor"));
    m_pages->setObjectName(QStringLiteral("PageControl1"));

    std::vector<QFormLayout*> forms;
    for (int page = 0; page < 6; ++page) {
        auto* widget = new QWidget(m_pages);
        const auto which = static_cast<OpcodePage>(page);
        widget->setObjectName(QString::fromLatin1(pageComponent(which).data(),
                                                  static_cast<qsizetype>(pageComponent(which).size())));
        auto* form = new QFormLayout(widget);
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        forms.push_back(form);
        m_pageWidgets.push_back(widget);
        m_pages->addTab(widget, QString::fromLatin1(pageTitle(which).data(),
                                                    static_cast<qsizetype>(pageTitle(which).size())));
    }

    for (const OpcodeInfo& info : opcodeTable()) {
        QWidget* page = m_pageWidgets[static_cast<std::size_t>(info.page)];
        const QString name = QString::fromLatin1(info.component.data(),
                                                 static_cast<qsizetype>(info.component.size()));
        const QString opcode = QString::fromLatin1(info.opcode.data(),
                                                   static_cast<qsizetype>(info.opcode.size()));
        QWidget* editor;
        if (info.kind == OperandKind::Flag) {
            editor = new QCheckBox(opcode, page);
            forms[static_cast<std::size_t>(info.page)]->addRow(editor);
        } else {
            auto* edit = new QLineEdit(page);
            if (info.maxLength() > 0) edit->setMaxLength(info.maxLength());
            editor = edit;
            forms[static_cast<std::size_t>(info.page)]->addRow(opcode, edit);
        }
        editor->setObjectName(name);
        if (!info.hint.empty())
            editor->setToolTip(QString::fromLatin1(info.hint.data(),
                                                   static_cast<qsizetype>(info.hint.size())));
        m_editors.push_back(editor);
    }

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("BtnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("BtnCancel"));
    connect(ok, &QPushButton::clicked, this, &TOpcodeSetup::BtnOKClick);
    connect(cancel, &QPushButton::clicked, this, &TOpcodeSetup::BtnCancelClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);
    setFixedSize(520, 420);
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
    OpcodeFields fields;
    for (std::size_t i = 0; i < m_editors.size(); ++i) {
        if (auto* check = qobject_cast<QCheckBox*>(m_editors[i]))
            fields.setChecked(i, check->isChecked());
        else {
            // A field the user left alone keeps its bytes, also when they are not UTF-8.
            const QString text = static_cast<QLineEdit*>(m_editors[i])->text();
            const std::string& shown = m_shown.value(i);
            if (text == displayText(shown))
                fields.setValue(i, shown);
            else
                fields.setValue(i, toBytes(text));
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
            static_cast<QLineEdit*>(m_editors[i])->setText(displayText(fields.value(i)));
    }
}

void TOpcodeSetup::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_accepted = false;
    OpcodeFields fields;
    const auto messages = readOperations(m_operations, fields);
    widgetsFromFields(fields);
    for (const auto& message : messages) m_prompts.message(kCaption, message, Icon::Error);
    m_pages->setCurrentIndex(0);
    field("id")->setFocus();
}

void TOpcodeSetup::BtnOKClick() {
    OpcodeFields fields = fieldsFromWidgets();
    const auto failure = checkOperations(fields);
    widgetsFromFields(fields);  // the text fields come back trimmed
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
