#include "epd_opcodes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "text_util.h"

namespace {

constexpr std::int64_t kAny = 0;
constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();

OpcodeInfo text(std::string_view op, OpcodePage page, std::string_view component,
                std::string_view hint = {}) {
    return {op, page, component, OperandKind::Text, kAny, kAny, hint};
}
OpcodeInfo integer(std::string_view op, OpcodePage page, std::string_view component,
                   std::int64_t minimum, std::int64_t maximum, std::string_view hint) {
    return {op, page, component, OperandKind::Integer, minimum, maximum, hint};
}
OpcodeInfo flag(std::string_view op, std::string_view component, std::string_view hint) {
    return {op, OpcodePage::Misc, component, OperandKind::Flag, kAny, kAny, hint};
}

std::vector<OpcodeInfo> makeTable() {
    using P = OpcodePage;
    return {
        text("id", P::General, "TEid", "EPD line identification"),
        text("bm", P::General, "TEbm", "best move(s)"),
        text("am", P::General, "TEam", "avoid move(s)"),
        integer("acn", P::Analysis, "TEacn", 0, kMax32, "analysis count: nodes"),
        integer("acs", P::Analysis, "TEacs", 0, kMax32, "analysis count: seconds"),
        integer("ce", P::Analysis, "TEce", -32767, 32766, "centipawn evaluation"),
        text("pm", P::Analysis, "TEpm", "predicted move"),
        text("pv", P::Analysis, "TEpv", "predicted variation"),
        text("sm", P::Analysis, "TEsm", "supplied move"),
        text("c0", P::Comment, "TEc0"),
        text("c1", P::Comment, "TEc1"),
        text("c2", P::Comment, "TEc2"),
        text("c3", P::Comment, "TEc3"),
        text("c4", P::Comment, "TEc4"),
        text("c5", P::Comment, "TEc5"),
        text("c6", P::Comment, "TEc6"),
        integer("fmvn", P::Position, "TEfmvn", 0, kMax32, "fullmove number"),
        integer("hmvc", P::Position, "TEhmvc", 0, kMax32, "halfmove clock"),
        integer("rc", P::Position, "TErc", 0, kMax32, "repetition count"),
        integer("dm", P::Position, "TEdm", 1, kMax32, "direct mate fullmove count"),
        {"eco", P::Opening, "TEeco", OperandKind::Eco, kAny, kAny,
         "Encyclopedia of Chess Openings opening code (A00-E99)"},
        text("nic", P::Opening, "TEnic", "New In Chess opening code"),
        text("v0", P::Opening, "TEv0"),
        text("v1", P::Opening, "TEv1"),
        text("v2", P::Opening, "TEv2"),
        text("v3", P::Opening, "TEv3"),
        text("v4", P::Opening, "TEv4"),
        text("v5", P::Opening, "TEv5"),
        text("tcgs", P::Misc, "TEtcgs", "telecommunication: game selector"),
        text("tcri", P::Misc, "TEtcri",
             "telecommunication: receiver identification (email address)"),
        text("tcsi", P::Misc, "TEtcsi", "telecommunication: sender identification (email address)"),
        flag("draw_accept", "CBdraw_accept", "accept a draw offer"),
        flag("draw_claim", "CBdraw_claim", "claim a draw"),
        flag("draw_offer", "CBdraw_offer", "offer a draw"),
        flag("draw_reject", "CBdraw_reject", "reject a draw offer"),
        flag("noop", "CBnoop", "no operation"),
        flag("resign", "CBresign", "game resignation"),
    };
}

// The order in which OK checks the fields: the draw boxes come before the telecommunication
// fields.
constexpr std::array<std::string_view, 31> kCheckOrder = {
    "id", "bm", "am", "acn", "acs", "ce",   "pm",   "pv",   "sm",  "c0",  "c1",
    "c2", "c3", "c4", "c5",  "c6",  "fmvn", "hmvc", "rc",   "dm",  "eco", "nic",
    "v0", "v1", "v2", "v3",  "v4",  "v5",   "tcgs", "tcri", "tcsi"};

// The order in which the operations text is rebuilt.
constexpr std::array<std::string_view, 37> kBuildOrder = {
    "acn",         "acs", "am",     "bm",   "c0",   "c1",          "c2",         "c3",
    "c4",          "c5",  "c6",     "ce",   "dm",   "draw_accept", "draw_claim", "draw_offer",
    "draw_reject", "eco", "fmvn",   "hmvc", "id",   "nic",         "noop",       "pm",
    "pv",          "rc",  "resign", "sm",   "tcgs", "tcri",        "tcsi",       "v0",
    "v1",          "v2",  "v3",     "v4",   "v5"};

// Draw flags that may not be used together, in the order they are tested.
constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kDrawConflicts = {{
    {"draw_accept", "draw_reject"},
    {"draw_accept", "draw_offer"},
    {"draw_reject", "draw_offer"},
    {"draw_accept", "draw_claim"},
    {"draw_reject", "draw_claim"},
}};

constexpr const char* kReadError = "Error in EPD opcode description";

std::size_t indexOf(std::string_view opcode) {
    return *opcodeIndex(opcode);
}

bool isEcoCode(std::string_view code) {
    return code.size() == 3 && code[0] >= 'A' && code[0] <= 'E' && code[1] >= '0' &&
           code[1] <= '9' && code[2] >= '0' && code[2] <= '9';
}

}  // namespace

const std::vector<OpcodeInfo>& opcodeTable() {
    static const std::vector<OpcodeInfo> table = makeTable();
    return table;
}

std::optional<std::size_t> opcodeIndex(std::string_view opcode) {
    const auto& table = opcodeTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].opcode == opcode) return i;
    return std::nullopt;
}

std::string_view pageTitle(OpcodePage page) {
    static constexpr std::array<std::string_view, 6> titles = {"General",  "Analysis", "Comment",
                                                               "Position", "Opening",  "Misc"};
    return titles[static_cast<std::size_t>(page)];
}

std::string_view pageComponent(OpcodePage page) {
    static constexpr std::array<std::string_view, 6> names = {
        "TSGeneral", "TSAnalysis", "TSComment", "TSPosition", "TSOpening", "TSMisc"};
    return names[static_cast<std::size_t>(page)];
}

OpcodeFields::OpcodeFields() : m_values(opcodeTable().size()), m_earlier(opcodeTable().size()) {}

void OpcodeFields::addEarlier(std::size_t index, std::string_view operation) {
    m_earlier[index].append(operation).append(";");
}

std::string OpcodeFields::keptOperations() const {
    std::string out;
    for (const auto& earlier : m_earlier)
        out += earlier;
    return out + m_kept;
}

const std::string& OpcodeFields::value(std::string_view opcode) const {
    return m_values[indexOf(opcode)];
}

void OpcodeFields::setValue(std::string_view opcode, std::string value) {
    m_values[indexOf(opcode)] = std::move(value);
}

void OpcodeFields::clear() {
    for (auto& value : m_values)
        value.clear();
    m_kept.clear();
}

std::optional<std::int32_t> parseEpdInteger(std::string_view text) {
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const bool hex = !text.empty() && text[0] == '$';
    if (hex) text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    std::int64_t result;
    if (hex) {
        result = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    } else {
        result = static_cast<std::int64_t>(value);
        if (result > (negative ? kMax32 + 1 : kMax32)) return std::nullopt;
    }
    if (negative) result = -result;
    if (result < std::numeric_limits<std::int32_t>::min() || result > kMax32) return std::nullopt;
    return static_cast<std::int32_t>(result);
}

std::vector<std::string> readOperations(std::string_view text, OpcodeFields& fields) {
    std::vector<std::string> messages;
    fields.clear();
    text = trimBlanks(text);
    if (text.empty()) return messages;
    if (text.find(';') == std::string_view::npos) {
        messages.emplace_back(kReadError);
        fields.setKept(std::string(text));
        return messages;
    }
    const auto& table = opcodeTable();
    // Operations no field holds, in the order they stood.
    std::string kept;
    // The operation each text field was filled from.
    std::vector<std::string_view> filledFrom(table.size());
    for (auto semicolon = text.find(';'); semicolon != std::string_view::npos;
         semicolon = text.find(';')) {
        const std::string_view operation = trimBlanks(text.substr(0, semicolon));
        if (operation.empty()) {
            // An empty operation (";;", a leading ";"): reading stops, the rest stays as it is.
            messages.emplace_back(kReadError);
            break;
        }
        // An odd number of quotes means a ";" inside a quoted operand: splitting there would
        // tear the operand apart, so the rest stays as it is.
        if (std::count(operation.begin(), operation.end(), '"') % 2 != 0) {
            messages.emplace_back(kReadError);
            break;
        }
        const auto separator = operation.find_first_of(" =");
        const std::string_view opcode = operation.substr(0, separator);
        const std::string_view operand = separator == std::string_view::npos
                                             ? std::string_view{}
                                             : trimBlanks(operation.substr(separator + 1));
        const auto index = opcodeIndex(opcode);
        const bool flag = index && table[*index].kind == OperandKind::Flag;
        // A field can hold the operation only when the rebuilt text says the same: a flag
        // without operands (once), or a text opcode with one.
        if (index && flag == operand.empty() && !(flag && fields.checked(*index))) {
            if (flag) {
                fields.setChecked(*index, true);
            } else {
                // A later duplicate takes the field; the earlier one is kept before it.
                if (!fields.value(*index).empty()) fields.addEarlier(*index, filledFrom[*index]);
                filledFrom[*index] = operation;
                fields.setValue(*index, std::string(operand));
            }
        } else {
            kept.append(operation).append(";");
        }
        text.remove_prefix(semicolon + 1);
    }
    // What was not read (after an empty operation, an operation without its final ";") is
    // kept as it stands.
    kept.append(trimBlanks(text));
    fields.setKept(std::move(kept));
    return messages;
}

std::optional<OpcodeCheckFailure> checkOperations(OpcodeFields& fields) {
    const auto& table = opcodeTable();
    auto check = [&](std::string_view opcode) -> std::optional<OpcodeCheckFailure> {
        const std::size_t index = indexOf(opcode);
        fields.setValue(index, std::string(trimBlanks(fields.value(index))));
        const std::string& value = fields.value(index);
        if (value.empty()) return std::nullopt;
        const std::string prefix = "opcode " + std::string(opcode) + ": ";
        if (value.find(';') != std::string::npos)
            return OpcodeCheckFailure{index, prefix + "semicolon found in operand"};
        const OpcodeInfo& info = table[index];
        if (info.kind == OperandKind::Integer) {
            const auto number = parseEpdInteger(value);
            if (!number || *number < info.minimum || *number > info.maximum)
                return OpcodeCheckFailure{index, prefix + "operand isn't a valid number"};
        } else if (info.kind == OperandKind::Eco && !isEcoCode(value)) {
            return OpcodeCheckFailure{index, prefix + "operand is not an ECO code"};
        }
        return std::nullopt;
    };
    for (std::size_t i = 0; i < kCheckOrder.size(); ++i) {
        if (kCheckOrder[i] == "tcgs") {
            // The draw boxes are checked between the variations and the telecommunication fields.
            for (const auto& [first, second] : kDrawConflicts) {
                if (fields.checked(indexOf(first)) && fields.checked(indexOf(second)))
                    return OpcodeCheckFailure{indexOf(first), "opcodes " + std::string(first) +
                                                                  " and " + std::string(second) +
                                                                  " can't be both used"};
            }
        }
        if (auto failure = check(kCheckOrder[i])) return failure;
    }
    return std::nullopt;
}

std::string buildOperations(const OpcodeFields& fields) {
    const auto& table = opcodeTable();
    std::string out;
    for (std::string_view opcode : kBuildOrder) {
        const std::size_t index = indexOf(opcode);
        if (table[index].kind == OperandKind::Flag) {
            if (fields.checked(index)) out.append(opcode).append(";");
        } else if (!fields.value(index).empty()) {
            out.append(fields.earlier(index));
            out.append(opcode).append(" ").append(fields.value(index)).append(";");
        }
    }
    out.append(fields.kept());
    return out;
}
