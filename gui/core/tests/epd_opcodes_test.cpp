#include "epd_opcodes.h"

#include <initializer_list>

#include <gtest/gtest.h>

namespace {

using Messages = std::vector<std::string>;

struct Read {
    OpcodeFields fields;
    Messages messages;
    explicit Read(std::string_view text) { messages = readOperations(text, fields); }
};

TEST(OpcodeReader, KeepsQuotesAndRebuildsInTheFixedOrder) {
    Read read("bm e4; id \"test 1\";");
    EXPECT_TRUE(read.messages.empty());
    EXPECT_EQ(read.fields.value("bm"), "e4");
    EXPECT_EQ(read.fields.value("id"), "\"test 1\"");
    EXPECT_EQ(buildOperations(read.fields), "bm e4;id \"test 1\";");
}

TEST(OpcodeReader, OperationWithoutItsSemicolonIsIgnored) {
    Read read("id \"x\"; acn 5");
    EXPECT_TRUE(read.messages.empty());
    EXPECT_EQ(read.fields.value("acn"), "");
    EXPECT_EQ(buildOperations(read.fields), "id \"x\";");
}

TEST(OpcodeReader, EqualsSignSeparatesLikeABlank) {
    EXPECT_EQ(Read("ce=12;").fields.value("ce"), "12");
    EXPECT_EQ(Read("pv=e4 e5 ;").fields.value("pv"), "e4 e5");
    // The first of blank and "=" ends the opcode; the rest is the operand.
    EXPECT_EQ(Read("pv = e4 ;").fields.value("pv"), "= e4");
    EXPECT_EQ(Read("id=;").fields.value("id"), "");
    EXPECT_EQ(Read("  bm   Nf3  ;  ").fields.value("bm"), "Nf3");
}

TEST(OpcodeReader, UnknownOpcodesAreCaseSensitiveAndLost) {
    Read upper("BM e4; c7 extra; id x;");
    EXPECT_EQ(upper.messages, (Messages{"BM - unknown EPD opcode description",
                                        "c7 - unknown EPD opcode description"}));
    EXPECT_EQ(buildOperations(upper.fields), "id x;");
}

TEST(OpcodeReader, TextWithoutSemicolonFillsNothing) {
    Read read("bm e4");
    EXPECT_EQ(read.messages, Messages{"Error in EPD opcode description"});
    EXPECT_EQ(buildOperations(read.fields), "");
}

TEST(OpcodeReader, EmptyOperationStopsReadingAndKeepsWhatWasRead) {
    Read read("bm e4;;id x;");
    EXPECT_EQ(read.messages, Messages{"Error in EPD opcode description"});
    EXPECT_EQ(buildOperations(read.fields), "bm e4;");
    EXPECT_EQ(Read(";bm e4;").messages, Messages{"Error in EPD opcode description"});
    EXPECT_EQ(buildOperations(Read(";bm e4;").fields), "");
}

TEST(OpcodeReader, LaterDuplicateWinsAndFlagsIgnoreOperands) {
    Read read("bm e4; bm d4; noop; draw_offer please; resign;");
    EXPECT_EQ(read.fields.value("bm"), "d4");
    EXPECT_EQ(buildOperations(read.fields), "bm d4;draw_offer;noop;resign;");
}

TEST(OpcodeReader, EveryFieldIsEmptiedBeforeReading) {
    OpcodeFields fields;
    fields.setValue("pm", "Qh5");
    fields.setValue("noop", "1");
    readOperations("", fields);
    EXPECT_EQ(buildOperations(fields), "");
}

struct IntegerCase {
    const char* opcode;
    const char* operand;
    bool valid;
};

class OpcodeIntegers : public testing::TestWithParam<IntegerCase> {};

TEST_P(OpcodeIntegers, RangeAndSyntax) {
    OpcodeFields fields;
    fields.setValue(GetParam().opcode, GetParam().operand);
    const auto failure = checkOperations(fields);
    if (GetParam().valid) {
        EXPECT_FALSE(failure) << failure->message;
    } else {
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->message,
                  "opcode " + std::string(GetParam().opcode) + ": operand isn't a valid number");
        EXPECT_EQ(opcodeTable()[failure->index].opcode, GetParam().opcode);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, OpcodeIntegers,
    testing::Values(IntegerCase{"ce", "32766", true}, IntegerCase{"ce", "32767", false},
                    IntegerCase{"ce", "-32767", true}, IntegerCase{"ce", "-32768", false},
                    IntegerCase{"dm", "0", false}, IntegerCase{"dm", "1", true},
                    IntegerCase{"acn", "0", true}, IntegerCase{"acn", "-1", false},
                    IntegerCase{"acs", "2147483647", true}, IntegerCase{"acs", "2147483648", false},
                    IntegerCase{"fmvn", "$10", true}, IntegerCase{"hmvc", "$FFFFFFFF", false},
                    IntegerCase{"rc", "12a", false}, IntegerCase{"rc", "1 2", false},
                    IntegerCase{"rc", "$", false}, IntegerCase{"rc", "+3", true},
                    IntegerCase{"ce", "-$10", true}));

TEST(OpcodeChecks, TextFieldsAreTrimmedInPlace) {
    OpcodeFields fields;
    fields.setValue("acn", "  7 ");
    fields.setValue("bm", " e4 ");
    EXPECT_FALSE(checkOperations(fields));
    EXPECT_EQ(fields.value("acn"), "7");
    EXPECT_EQ(buildOperations(fields), "acn 7;bm e4;");
}

TEST(OpcodeChecks, EcoCodes) {
    for (const char* good : {"B22", "A00", "E99"}) {
        OpcodeFields fields;
        fields.setValue("eco", good);
        EXPECT_FALSE(checkOperations(fields)) << good;
    }
    for (const char* bad : {"b22", "F00", "B2", "B221", "B2x"}) {
        OpcodeFields fields;
        fields.setValue("eco", bad);
        const auto failure = checkOperations(fields);
        ASSERT_TRUE(failure) << bad;
        EXPECT_EQ(failure->message, "opcode eco: operand is not an ECO code");
    }
}

TEST(OpcodeChecks, SemicolonComesFirstAndFieldsInOrder) {
    OpcodeFields fields;
    fields.setValue("acn", "x;");
    fields.setValue("am", "a;b");
    auto failure = checkOperations(fields);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, "opcode am: semicolon found in operand");  // am before acn
    fields.setValue("am", "");
    EXPECT_EQ(checkOperations(fields)->message, "opcode acn: semicolon found in operand");
}

std::optional<std::string> drawCheck(std::initializer_list<const char*> flags) {
    OpcodeFields fields;
    for (const char* flag : flags) fields.setValue(flag, "1");
    const auto failure = checkOperations(fields);
    if (!failure) return std::nullopt;
    return failure->message;
}

TEST(OpcodeChecks, DrawConflicts) {
    EXPECT_EQ(drawCheck({"draw_accept", "draw_reject"}),
              "opcodes draw_accept and draw_reject can't be both used");
    EXPECT_EQ(drawCheck({"draw_accept", "draw_offer"}),
              "opcodes draw_accept and draw_offer can't be both used");
    EXPECT_EQ(drawCheck({"draw_reject", "draw_offer"}),
              "opcodes draw_reject and draw_offer can't be both used");
    EXPECT_EQ(drawCheck({"draw_accept", "draw_claim"}),
              "opcodes draw_accept and draw_claim can't be both used");
    EXPECT_EQ(drawCheck({"draw_reject", "draw_claim"}),
              "opcodes draw_reject and draw_claim can't be both used");
    EXPECT_EQ(drawCheck({"draw_offer", "draw_claim", "noop", "resign"}), std::nullopt);
    // With several conflicts the first in the order is reported.
    EXPECT_EQ(drawCheck({"draw_claim", "draw_offer", "draw_reject"}),
              "opcodes draw_reject and draw_offer can't be both used");
}

TEST(OpcodeChecks, DrawBoxesComeBetweenVariationsAndTelecommunication) {
    OpcodeFields fields;
    fields.setValue("draw_accept", "1");
    fields.setValue("draw_reject", "1");
    fields.setValue("tcgs", "a;b");
    EXPECT_EQ(checkOperations(fields)->message,
              "opcodes draw_accept and draw_reject can't be both used");
    fields.setValue("v5", "x;");
    const auto failure = checkOperations(fields);
    EXPECT_EQ(failure->message, "opcode v5: semicolon found in operand");
    EXPECT_EQ(opcodeTable()[failure->index].page, OpcodePage::Opening);
    fields.setValue("v5", "");
    fields.setValue("draw_reject", "");
    EXPECT_EQ(checkOperations(fields)->message, "opcode tcgs: semicolon found in operand");
}

TEST(OpcodeBuild, EveryOpcodeInItsFixedPlace) {
    OpcodeFields fields;
    for (std::size_t i = 0; i < opcodeTable().size(); ++i) {
        const auto& info = opcodeTable()[i];
        if (info.kind == OperandKind::Flag) fields.setChecked(i, true);
        else fields.setValue(i, "x");
    }
    EXPECT_EQ(buildOperations(fields),
              "acn x;acs x;am x;bm x;c0 x;c1 x;c2 x;c3 x;c4 x;c5 x;c6 x;ce x;dm x;"
              "draw_accept;draw_claim;draw_offer;draw_reject;eco x;fmvn x;hmvc x;id x;nic x;"
              "noop;pm x;pv x;rc x;resign;sm x;tcgs x;tcri x;tcsi x;v0 x;v1 x;v2 x;v3 x;v4 x;"
              "v5 x;");
    EXPECT_EQ(buildOperations(OpcodeFields()), "");
}

TEST(OpcodeTable, ComponentsPagesAndLimits) {
    EXPECT_EQ(opcodeTable().size(), 37u);
    const auto& ce = opcodeTable()[*opcodeIndex("ce")];
    EXPECT_EQ(ce.component, "TEce");
    EXPECT_EQ(ce.page, OpcodePage::Analysis);
    EXPECT_EQ(ce.maxLength(), 10);
    EXPECT_EQ(opcodeTable()[*opcodeIndex("eco")].hint,
              "Encyclopedia of Chess Openings opening code (A00-E99)");
    EXPECT_EQ(opcodeTable()[*opcodeIndex("bm")].maxLength(), 0);
    EXPECT_FALSE(opcodeIndex("BM"));
    EXPECT_EQ(pageComponent(OpcodePage::Misc), "TSMisc");
}

}  // namespace
