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

TEST(OpcodeReader, EqualsSignSeparatesLikeABlank) {
    EXPECT_EQ(Read("ce=12;").fields.value("ce"), "12");
    EXPECT_EQ(Read("pv=e4 e5 ;").fields.value("pv"), "e4 e5");
    // The first of blank and "=" ends the opcode; the rest is the operand.
    EXPECT_EQ(Read("pv = e4 ;").fields.value("pv"), "= e4");
    EXPECT_EQ(Read("id=;").fields.value("id"), "");
    EXPECT_EQ(Read("  bm   Nf3  ;  ").fields.value("bm"), "Nf3");
}

// Nothing of an operations text is lost: what no field holds is written back as it stood,
// after the operations the fields rebuild.
struct KeptCase {
    const char* name;
    const char* text;
    const char* kept;
    const char* rebuilt;
    Messages messages;
};

class OpcodeReaderKeeps : public testing::TestWithParam<KeptCase> {};

TEST_P(OpcodeReaderKeeps, WhatNoFieldHolds) {
    const KeptCase& c = GetParam();
    Read read(c.text);
    EXPECT_EQ(read.messages, c.messages);
    EXPECT_EQ(read.fields.keptOperations(), c.kept);
    const std::string rebuilt = buildOperations(read.fields);
    EXPECT_EQ(rebuilt, c.rebuilt);
    // Reading what was rebuilt gives it back unchanged.
    EXPECT_EQ(buildOperations(Read(rebuilt).fields), rebuilt);
}

INSTANTIATE_TEST_SUITE_P(
    OpcodeReader, OpcodeReaderKeeps,
    testing::Values(
        KeptCase{"StsScoring",
                 "bm f5; id \"U.1\"; c0 \"f5=10\"; c7 \"f5 Bg4\"; c8 \"10 2\"; c9 \"f4f5 f3g4\";",
                 "c7 \"f5 Bg4\";c8 \"10 2\";c9 \"f4f5 f3g4\";",
                 "bm f5;c0 \"f5=10\";id \"U.1\";c7 \"f5 Bg4\";c8 \"10 2\";c9 \"f4f5 f3g4\";",
                 {}},
        KeptCase{"OtherCaseAndAnalysisCounts",
                 "BM e4; acd 20; id x; sv 1.0;",
                 "BM e4;acd 20;sv 1.0;",
                 "id x;BM e4;acd 20;sv 1.0;",
                 {}},
        KeptCase{"UnterminatedLastOperation", "id \"x\"; acn 5", "acn 5", "id \"x\";acn 5", {}},
        KeptCase{
            "NoSemicolonAtAll", "bm e4", "bm e4", "bm e4", {"Error in EPD opcode description"}},
        KeptCase{"EmptyOperationStopsReading",
                 "bm e4;;id x;",
                 ";id x;",
                 "bm e4;;id x;",
                 {"Error in EPD opcode description"}},
        KeptCase{"LeadingSemicolonOfAPerftLine",
                 ";D1 20 ;D2 400",
                 ";D1 20 ;D2 400",
                 ";D1 20 ;D2 400",
                 {"Error in EPD opcode description"}},
        KeptCase{"BlankOperation",
                 "bm e4; ;id x;",
                 ";id x;",
                 "bm e4;;id x;",
                 {"Error in EPD opcode description"}},
        // The field takes the last duplicate; the earlier ones stay before it, so that the
        // same value wins when the line is read again.
        KeptCase{"DuplicatesAndDoubleFlag",
                 "bm=e4; c7 x; bm d4; noop; bm c4; noop;",
                 "bm=e4;bm d4;c7 x;noop;",
                 "bm=e4;bm d4;bm c4;noop;c7 x;noop;",
                 {}},
        KeptCase{"SemicolonInAQuotedOperand",
                 "bm e4; id \"a;b\"; nic x;",
                 "id \"a;b\"; nic x;",
                 "bm e4;id \"a;b\"; nic x;",
                 {"Error in EPD opcode description"}},
        KeptCase{"FlagWithOperandsAndOpcodeWithout",
                 "noop 1 2; draw_offer please; id; c0 ;",
                 "noop 1 2;draw_offer please;id;c0;",
                 "noop 1 2;draw_offer please;id;c0;",
                 {}}),
    [](const auto& info) { return std::string(info.param.name); });

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
    for (const char* flag : flags)
        fields.setValue(flag, "1");
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
        if (info.kind == OperandKind::Flag)
            fields.setChecked(i, true);
        else
            fields.setValue(i, "x");
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
