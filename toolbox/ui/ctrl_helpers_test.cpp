// Tests of the control helpers: radio groups, string values of any length, numeric attributes
// read in every pair of source and wanted data types, event names, quiet discards.
#include "toolbox/ui/ctrl_helpers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "rte/alloc_testing.h"
#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/ui.h"
#include "toolbox/ui/callback_chain.h"
#include "toolbox/ui/linked_panels_internal.h"

namespace {

class CtrlHelpers : public ::testing::Test {
protected:
    void TearDown() override { rte::testing::DiscardAllPanels(); }
    int panel = NewPanel(0, "Helpers", 0, 0, 300, 300);
    int Value(int control) {
        int v = -1;
        EXPECT_EQ(GetCtrlVal(panel, control, &v), 0);
        return v;
    }
};

TEST_F(CtrlHelpers, RadioGroups) {
    int a = NewCtrl(panel, CTRL_TOGGLE_BUTTON, "a", 0, 0);
    int b = NewCtrl(panel, CTRL_TOGGLE_BUTTON, "b", 30, 0);
    int c = NewCtrl(panel, CTRL_TOGGLE_BUTTON, "c", 60, 0);
    ASSERT_EQ(SetSelectedRadioButtons(panel, b, 3, a, b, c), 0);
    EXPECT_EQ((std::vector<int>{Value(a), Value(b), Value(c)}), (std::vector<int>{0, 1, 0}));
    int selected = -1;
    ASSERT_EQ(GetSelectedRadioButtons(panel, &selected, 3, a, b, c), 0);
    EXPECT_EQ(selected, b);
    // A count larger than the IDs given stops at the end of the IDs.
    ASSERT_EQ(SetSelectedRadioButtons(panel, c, 5, a, b, c, 0), 0);
    EXPECT_EQ((std::vector<int>{Value(a), Value(b), Value(c)}), (std::vector<int>{0, 0, 1}));
    ASSERT_EQ(GetSelectedRadioButtons(panel, &selected, 9, a, b, 0), 0);
    EXPECT_EQ(selected, 0);  // none of these is on
    // Count 0: up to the first value of 1 or less.
    ASSERT_EQ(SetSelectedRadioButtons(panel, a, 0, a, b, 1, c), 0);
    EXPECT_EQ((std::vector<int>{Value(a), Value(b), Value(c)}), (std::vector<int>{1, 0, 1}));
    // An error stops the loop: the controls after it are not changed.
    EXPECT_EQ(SetSelectedRadioButtons(panel, 0, 3, a, 999, c), UIE_BAD_CONTROL);
    EXPECT_EQ((std::vector<int>{Value(a), Value(c)}), (std::vector<int>{0, 1}));
    EXPECT_EQ(GetSelectedRadioButtons(panel, &selected, 2, 999, c), UIE_BAD_CONTROL);
    EXPECT_EQ(selected, 0);
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        EXPECT_EQ(SetSelectedRadioButtons(panel, a, 2, a, b), injected ? UIE_OUT_OF_MEMORY : 0);
    });
}

TEST_F(CtrlHelpers, StringValuesOfAnyLength) {
    int text = NewCtrl(panel, CTRL_STRING, "Text", 20, 0);
    int list = NewCtrl(panel, CTRL_LIST_BOX, "List", 60, 0);
    int numeric = NewCtrl(panel, CTRL_NUMERIC, "Number", 200, 0);
    SetCtrlAttribute(panel, list, ATTR_DATA_TYPE, VAL_STRING);
    std::string longText(10000, 'x');
    SetCtrlVal(panel, text, longText.c_str());
    int length = -1;
    EXPECT_EQ(GetCtrlValStringLength(panel, list, &length), UIE_NO_CURRENT_ITEM);
    InsertListItem(panel, list, -1, "first", "value one");
    InsertListItem(panel, list, -1, "second", "2");
    SetCtrlIndex(panel, list, 1);
    const struct { int control, rc, length; } cases[] = {
        {text, 0, 10000}, {list, 0, 1}, {numeric, UIE_WRONG_DATA_TYPE, -1}, {999, UIE_BAD_CONTROL, -1},
    };
    for (const auto &k : cases) {
        length = -1;
        EXPECT_EQ(GetCtrlValStringLength(panel, k.control, &length), k.rc) << k.control;
        EXPECT_EQ(length, k.length) << k.control;
    }
    char *value = nullptr;
    ASSERT_EQ(AllocateCtrlValString(panel, text, &value), 0);
    EXPECT_EQ(std::string(value), longText);
    free(value);
    SetCtrlIndex(panel, list, 0);
    ASSERT_EQ(AllocateCtrlValString(panel, list, &value), 0);
    EXPECT_STREQ(value, "value one");
    free(value);
    value = reinterpret_cast<char *>(1);
    EXPECT_EQ(AllocateCtrlValString(panel, numeric, &value), UIE_WRONG_DATA_TYPE);
    EXPECT_EQ(value, nullptr);
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        char *got = nullptr;
        EXPECT_EQ(AllocateCtrlValString(panel, list, &got), injected ? UIE_OUT_OF_MEMORY : 0);
        EXPECT_EQ(got == nullptr, injected);
        free(got);
    });
}

// The bytes a value of a data type occupies, as the test expects them.
std::vector<unsigned char> Bytes(int type, double v) {
    unsigned char b[8] = {};
    switch (type) {
    case VAL_CHAR: { auto x = static_cast<int8_t>(static_cast<int64_t>(v)); std::memcpy(b, &x, 1); return {b, b + 1}; }
    case VAL_UNSIGNED_CHAR: { auto x = static_cast<uint8_t>(static_cast<int64_t>(v)); std::memcpy(b, &x, 1); return {b, b + 1}; }
    case VAL_SHORT: { auto x = static_cast<int16_t>(static_cast<int64_t>(v)); std::memcpy(b, &x, 2); return {b, b + 2}; }
    case VAL_UNSIGNED_SHORT: { auto x = static_cast<uint16_t>(static_cast<int64_t>(v)); std::memcpy(b, &x, 2); return {b, b + 2}; }
    case VAL_INTEGER: { auto x = static_cast<int32_t>(static_cast<int64_t>(v)); std::memcpy(b, &x, 4); return {b, b + 4}; }
    case VAL_UNSIGNED_INTEGER: { auto x = static_cast<uint32_t>(static_cast<int64_t>(v)); std::memcpy(b, &x, 4); return {b, b + 4}; }
    case VAL_FLOAT: { auto x = static_cast<float>(v); std::memcpy(b, &x, 4); return {b, b + 4}; }
    default: std::memcpy(b, &v, 8); return {b, b + 8};
    }
}

TEST_F(CtrlHelpers, NumericAttributesInEveryPairOfTypes) {
    // Each source type holds a value; every wanted type gets it truncated toward zero with the
    // low bits that fit (the expectations are written out by hand per wanted type).
    const int types[] = {VAL_CHAR, VAL_INTEGER, VAL_SHORT, VAL_FLOAT, VAL_DOUBLE, VAL_UNSIGNED_SHORT,
                         VAL_UNSIGNED_INTEGER, VAL_UNSIGNED_CHAR};
    struct Source {
        int type;
        double value;
        // Expected results as whole numbers for the integer wanted types, in the order of types[]
        // (float and double wanted types are checked against the value itself).
        long long expected[8];
    } sources[] = {
        {VAL_UNSIGNED_INTEGER, 3000000200.0, {-56, -1294967096, 24264, 0, 0, 24264, 3000000200LL, 200}},
        {VAL_DOUBLE, -1.7, {-1, -1, -1, 0, 0, 65535, 4294967295LL, 255}},
        {VAL_FLOAT, 70000.75, {112, 70000, 4464, 0, 0, 4464, 70000, 112}},
        {VAL_CHAR, -100, {-100, -100, -100, 0, 0, 65436, 4294967196LL, 156}},
        {VAL_SHORT, 30000, {48, 30000, 30000, 0, 0, 30000, 30000, 48}},
        {VAL_INTEGER, -2147483648.0, {0, -2147483648LL, 0, 0, 0, 0, 2147483648LL, 0}},
        {VAL_UNSIGNED_SHORT, 65535, {-1, 65535, -1, 0, 0, 65535, 65535, 255}},
        {VAL_UNSIGNED_CHAR, 255, {-1, 255, 255, 0, 0, 255, 255, 255}},
    };
    for (const Source &s : sources) {
        int c = NewCtrl(panel, CTRL_NUMERIC, "n", 0, 0);
        ASSERT_EQ(SetCtrlAttribute(panel, c, ATTR_DATA_TYPE, s.type), 0);
        if (s.type == VAL_FLOAT || s.type == VAL_DOUBLE) {
            ASSERT_EQ(SetCtrlAttribute(panel, c, ATTR_MAX_VALUE, s.value), 0);
        } else {
            ASSERT_EQ(SetCtrlAttribute(panel, c, ATTR_MIN_VALUE, s.value < 0 ? static_cast<int>(s.value) : 0), 0);
            ASSERT_EQ(SetCtrlAttribute(panel, c, ATTR_MAX_VALUE, static_cast<int>(static_cast<int64_t>(s.value))), 0);
        }
        for (int i = 0; i < 8; ++i) {
            int wanted = types[i];
            unsigned char out[8] = {};
            ASSERT_EQ(GetNumericAttributeAsType(panel, c, ATTR_MAX_VALUE, wanted, out), 0);
            double expected = wanted == VAL_FLOAT || wanted == VAL_DOUBLE ? s.value : static_cast<double>(s.expected[i]);
            std::vector<unsigned char> want = Bytes(wanted, expected);
            EXPECT_EQ(std::vector<unsigned char>(out, out + want.size()), want)
                << "source type " << s.type << " wanted type " << wanted;
        }
    }
    int c = NewCtrl(panel, CTRL_NUMERIC, "n", 0, 0);
    double d = 0;
    EXPECT_EQ(GetNumericAttributeAsType(panel, 999, ATTR_MAX_VALUE, VAL_DOUBLE, &d), UIE_BAD_CONTROL);
    EXPECT_EQ(GetNumericAttributeAsType(panel, c, 99999, VAL_DOUBLE, &d), UIE_BAD_ATTRIBUTE);
}

TEST_F(CtrlHelpers, EventNames) {
    EXPECT_STREQ(UILEventString(1), "EVENT_COMMIT");
    EXPECT_STREQ(UILEventString(16), "EVENT_DISCARD");
    EXPECT_STREQ(UILEventString(1000), "Event 1000");
    EXPECT_STREQ(UILEventString(-3), "Event -3");
    EXPECT_STREQ(UILEventString(0), "Event 0");
}

std::string g_seen;  // which callbacks saw EVENT_DISCARD, in order
int SeeDiscard(int, int, int event, void *name, int, int) {
    if (event == EVENT_DISCARD) g_seen += static_cast<const char *>(name);
    return 0;
}
int SeePanelDiscard(int, int event, void *name, int, int) {
    if (event == EVENT_DISCARD) g_seen += static_cast<const char *>(name);
    return 0;
}

TEST_F(CtrlHelpers, QuietDiscards) {
    // With its callback cleared first (1) a control or panel goes unseen; kept (0), it sees the discard.
    char keptName[] = "kept ", clearedName[] = "cleared ";
    int kept = NewCtrl(panel, CTRL_COMMAND_BUTTON, "kept", 0, 0);
    int cleared = NewCtrl(panel, CTRL_COMMAND_BUTTON, "cleared", 0, 0);
    InstallCtrlCallback(panel, kept, SeeDiscard, keptName);
    InstallCtrlCallback(panel, cleared, SeeDiscard, clearedName);
    g_seen.clear();
    DiscardCtrlNoBOLE(panel, cleared, 1);
    DiscardCtrlNoBOLE(panel, kept, 0);
    EXPECT_EQ(g_seen, "kept ");
    // Handles that are gone, or 0 and less, pass without a word even with the break on.
    int old = SetBreakOnLibraryErrors(1);
    ::testing::internal::CaptureStderr();
    DiscardCtrlNoBOLE(panel, kept, 1);
    DiscardCtrlNoBOLE(panel, 0, 0);
    DiscardCtrlNoBOLE(-1, 5, 0);
    DiscardPanelNoBOLE(987, 1);
    DiscardPanelNoBOLE(0, 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    SetBreakOnLibraryErrors(old);
    for (int clear : {1, 0}) {
        int other = NewPanel(0, "Other", 0, 0, 10, 10);
        InstallPanelCallback(other, SeePanelDiscard, clear ? clearedName : keptName);
        DiscardPanelNoBOLE(other, clear);
    }
    EXPECT_EQ(g_seen, "kept kept ");
}

TEST_F(CtrlHelpers, ClearingTheCallbackKeepsChainedLinksWhole) {
    // The application's callback and two links: with the callback cleared, the links still see
    // the discard and free themselves (LeakSanitizer would report them otherwise), and the panel
    // leaves the list of panels with links; only the application's callback is kept from it.
    char app[] = "app ", a[] = "A ", b[] = "B ";
    for (int clear : {1, 0}) {
        int control = NewCtrl(panel, CTRL_COMMAND_BUTTON, "c", 0, 0);
        InstallCtrlCallback(panel, control, SeeDiscard, app);
        ASSERT_EQ(ChainCtrlCallback(panel, control, SeeDiscard, a, "A"), 0);
        ASSERT_EQ(ChainCtrlCallback(panel, control, SeeDiscard, b, "B"), 0);
        EXPECT_EQ(PanelLinkCountOf(panel), 2);
        g_seen.clear();
        DiscardCtrlNoBOLE(panel, control, clear);
        EXPECT_EQ(g_seen, clear ? "B A " : "B A app ");
        EXPECT_EQ(PanelLinkCountOf(panel), 0);
    }
    for (int clear : {1, 0}) {
        int other = NewPanel(0, "Linked", 0, 0, 10, 10);
        InstallPanelCallback(other, SeePanelDiscard, app);
        ASSERT_EQ(ChainPanelCallback(other, SeePanelDiscard, a, "A"), 0);
        g_seen.clear();
        DiscardPanelNoBOLE(other, clear);
        EXPECT_EQ(g_seen, clear ? "A " : "A app ");
        EXPECT_EQ(PanelLinkCountOf(other), 0);
    }
}

TEST(CtrlHelpersDeathTest, TypesThatAreNotNumeric) {
    int panel = NewPanel(0, "Death", 0, 0, 100, 100);
    int text = NewCtrl(panel, CTRL_STRING, "s", 30, 0);
    int number = NewCtrl(panel, CTRL_NUMERIC, "n", 60, 0);
    double d = 0;
    EXPECT_DEATH(GetNumericAttributeAsType(panel, text, ATTR_MAX_VALUE, VAL_DOUBLE, &d),
                 "The type of the control passed to GetNumericAttributeAsType\nwas not a numeric type\\.");
    EXPECT_DEATH(GetNumericAttributeAsType(panel, number, ATTR_MAX_VALUE, VAL_STRING, &d),
                 "Parameter 4 passed to GetNumericAttributeAsType\nwas not a numeric data type\\.");
    DiscardPanel(panel);
}

}  // namespace
