#pragma once

#include <string>
#include <vector>

#include <QDialog>

#include "epd_opcodes.h"
#include "prompts.h"
#include "qt_prompts.h"

class QCheckBox;
class QLineEdit;
class QTabWidget;
class QWidget;

// The EPD opcode editor: one field or check box per opcode on six pages. Reading, checking and
// rebuilding the operations text happen in epd_opcodes; this dialog shows the fields.
class TOpcodeSetup : public QDialog {
    Q_OBJECT

public:
    explicit TOpcodeSetup(Prompts& prompts, QWidget* parent = nullptr);

    void setOperations(std::string operations) { m_operations = std::move(operations); }
    const std::string& operations() const { return m_operations; }
    bool accepted() const { return m_accepted; }

    QLineEdit* field(std::string_view opcode) const;
    QCheckBox* box(std::string_view opcode) const;
    QTabWidget* pages() const { return m_pages; }
    // The read-only line listing what no field holds and is written back as it stands.
    QLineEdit* keptLine() const { return m_keptLine; }

    // Fills the fields from the operations text. Runs once for each showing the caller asks
    // for (exec), never again when the window system shows the dialog (a restore after
    // minimising), so edits in progress stay.
    void OnShow();
    int exec() override;

    // Opens the editor modally on a text; the new text, or nothing when cancelled.
    static std::optional<std::string> edit(Prompts& prompts, const std::string& operations,
                                           QWidget* parent);

private slots:
    void BtnOKClick();
    void BtnCancelClick();

private:
    OpcodeFields fieldsFromWidgets() const;
    // An operand's bytes as the fields show them, in the encoding of the operations text.
    QString shownText(std::string_view bytes) const;
    // The first edited field holding a character the line's encoding cannot write.
    std::optional<OpcodeCheckFailure> unwritableField() const;
    void widgetsFromFields(const OpcodeFields& fields);

    Prompts& m_prompts;
    std::string m_operations;
    bool m_accepted = false;
    QTabWidget* m_pages;
    QLineEdit* m_keptLine;
    std::vector<QWidget*> m_pageWidgets;
    std::vector<QWidget*> m_editors;  // indexed like opcodeTable()
    OpcodeFields m_shown;             // what the fields were last filled with
    // Edited text is written in the encoding the operations were read in.
    TextEncoding m_encoding = TextEncoding::Utf8;
};
