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
// checked box and "" for an unchecked one.
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
    void clear();

private:
    std::vector<std::string> m_values;
};

// Fills the fields from an operations text; returns the messages to show (error icon), in order.
// Every field is emptied first.
std::vector<std::string> readOperations(std::string_view text, OpcodeFields& fields);

struct OpcodeCheckFailure {
    std::size_t index;  // the field to switch to and focus
    std::string message;
};

// Trims the text fields in place and checks them in the editor's order; the first failure wins.
std::optional<OpcodeCheckFailure> checkOperations(OpcodeFields& fields);

// The operations text in its fixed order, operations following each other without blanks.
std::string buildOperations(const OpcodeFields& fields);

// A whole text as a 32-bit integer: decimal, or hexadecimal after "$" (eight hex digits wrap to
// a negative number, as a 32-bit register would hold them). Nothing when it is not one.
std::optional<std::int32_t> parseEpdInteger(std::string_view text);
