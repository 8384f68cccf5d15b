#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The operations an EPD line may carry, as the opcode editor shows them: one field or check box
// per opcode on six pages.
enum class OpcodePage { General, Analysis, Comment, Position, Opening, Misc };

enum class OperandKind {
    Text,     // any text without ";"
    Integer,  // a 32-bit integer within [minimum, maximum]
    Eco,      // A..E and two digits
    Flag,     // no operand: a check box
};

struct OpcodeInfo {
    std::string_view opcode;
    OpcodePage page;
    std::string_view component;  // TEid, CBdraw_accept, ...
    OperandKind kind;
    std::int64_t minimum = 0;
    std::int64_t maximum = 0;
    std::string_view hint;
    int maxLength() const { return kind == OperandKind::Integer ? 10 : 0; }
};

// Every opcode in the order of the editor's pages.
const std::vector<OpcodeInfo>& opcodeTable();
// Index into opcodeTable(), or nothing for an unknown opcode (compared exactly).
std::optional<std::size_t> opcodeIndex(std::string_view opcode);

// The page names, in tab order, and their component names.
std::string_view pageTitle(OpcodePage page);
std::string_view pageComponent(OpcodePage page);

// What the editor's fields hold, indexed like opcodeTable(): the text of a field, or "1" for a
// checked box and "" for an unchecked one. Operations that no field holds are kept as they were
// read and written back after the operations the fields rebuild.
class OpcodeFields {
public:
    OpcodeFields();
    const std::string& value(std::size_t index) const { return m_values[index]; }
    void setValue(std::size_t index, std::string value) { m_values[index] = std::move(value); }
    bool checked(std::size_t index) const { return !m_values[index].empty(); }
    void setChecked(std::size_t index, bool on) { m_values[index] = on ? "1" : ""; }
    // Access by opcode name, for callers and tests.
    const std::string& value(std::string_view opcode) const;
    void setValue(std::string_view opcode, std::string value);
    // The operations no field holds, each with its ";", followed by any text that could not be
    // read (verbatim, also when it lacks its final ";").
    const std::string& kept() const { return m_kept; }
    void setKept(std::string kept) { m_kept = std::move(kept); }
    // Earlier operations of a text field's opcode that its later one overrode, each with its
    // ";": written just before the field's own operation, so the field's value still wins when
    // the line is read again.
    const std::string& earlier(std::size_t index) const { return m_earlier[index]; }
    void addEarlier(std::size_t index, std::string_view operation);
    // Everything written back as it stood: the earlier duplicates, then the kept text.
    std::string keptOperations() const;
    void clear();

private:
    std::vector<std::string> m_values;
    std::vector<std::string> m_earlier;
    std::string m_kept;
};

// Fills the fields from an operations text; returns the messages to show (error icon), in order.
// Every field is emptied first. Nothing of the text is lost: an operation the fields cannot hold
// (an unknown or differently cased opcode, an earlier duplicate, a flag with operands, a known
// opcode without operand) is kept verbatim, and so is the text from the first place that cannot
// be read on (an empty operation, a ";" inside a quoted operand: "Error in EPD opcode
// description").
std::vector<std::string> readOperations(std::string_view text, OpcodeFields& fields);

struct OpcodeCheckFailure {
    std::size_t index;  // the field to switch to and focus
    std::string message;
};

// Trims the text fields in place and checks them in the editor's order; the first failure wins.
std::optional<OpcodeCheckFailure> checkOperations(OpcodeFields& fields);

// The operations text in its fixed order, operations following each other without blanks, then
// the kept text.
std::string buildOperations(const OpcodeFields& fields);

// A whole text as a 32-bit integer: decimal, or hexadecimal after "$" (eight hex digits wrap to
// a negative number, as a 32-bit register would hold them). Nothing when it is not one.
std::optional<std::int32_t> parseEpdInteger(std::string_view text);
