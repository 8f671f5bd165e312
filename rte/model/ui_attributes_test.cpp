// Tests of attributes, values and list controls.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "rte/engine.h"
#include "rte/graphics.h"
#include "rte/testing.h"
#include "rte/threads.h"
#include "rte/ui.h"

namespace {

class UiModel : public ::testing::Test {
protected:
    void SetUp() override { panel = NewPanel(0, "Attrs", 10, 10, 200, 300); }
    void TearDown() override { rte::testing::DiscardAllPanels(); }
    int panel = 0;
};

TEST_F(UiModel, AttributesRoundTripWithDefaults) {
    int str = NewCtrl(panel, CTRL_STRING, "Name", 40, 10);
    int num = NewCtrl(panel, CTRL_NUMERIC, "N", 80, 10);
    int value = 0;
    char text[64];
    EXPECT_EQ(GetCtrlAttribute(panel, str, ATTR_TEXT_POINT_SIZE, &value), 0);
    EXPECT_EQ(value, 13);
    EXPECT_EQ(GetCtrlAttribute(panel, str, ATTR_TEXT_FONT, text), 0);
    EXPECT_STREQ(text, "Dialog");
    EXPECT_EQ(SetCtrlAttribute(panel, str, ATTR_LEFT, 30), 0);  // the label moves with it
    EXPECT_EQ(GetCtrlAttribute(panel, str, ATTR_LABEL_LEFT, &value), 0);
    EXPECT_EQ(value, 30);
    int top, left, height, width;
    EXPECT_EQ(GetCtrlBoundingRect(panel, str, &top, &left, &height, &width), 0);
    EXPECT_LT(top, 40);  // includes the label above
    // Labels measure in the control's font, as they are drawn.
    int labelWidth = 0, textWidth = 0;
    ASSERT_EQ(GetCtrlAttribute(panel, str, ATTR_LABEL_WIDTH, &labelWidth), 0);
    ASSERT_EQ(GetTextDisplaySize("Name", VAL_DIALOG_FONT, nullptr, &textWidth), 0);
    EXPECT_EQ(labelWidth, textWidth);
    ASSERT_EQ(SetCtrlAttribute(panel, str, ATTR_LABEL_TEXT, "A label wider than its __entry"), 0);
    ASSERT_EQ(GetTextDisplaySize("A label wider than its entry", VAL_DIALOG_FONT, nullptr, &textWidth), 0);
    EXPECT_EQ(GetCtrlBoundingRect(panel, str, &top, &left, &height, &width), 0);
    EXPECT_EQ(width, textWidth);  // the label reaches past the 100-pixel entry
    ASSERT_EQ(SetCtrlAttribute(panel, str, ATTR_TEXT_POINT_SIZE, 26), 0);
    EXPECT_EQ(GetCtrlBoundingRect(panel, str, &top, &left, &height, &width), 0);
    EXPECT_GT(width, textWidth * 3 / 2);
    SetCtrlAttribute(panel, str, ATTR_TEXT_POINT_SIZE, 13);
    SetCtrlAttribute(panel, str, ATTR_LABEL_TEXT, "Name");
    EXPECT_EQ(SetPanelAttribute(panel, ATTR_TITLE, "New title"), 0);
    EXPECT_EQ(GetPanelAttribute(panel, ATTR_TITLE, text), 0);
    EXPECT_STREQ(text, "New title");
    EXPECT_EQ(GetPanelAttribute(panel, ATTR_NUM_CTRLS, &value), 0);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(GetPanelAttribute(panel, ATTR_PANEL_FIRST_CTRL, &value), 0);
    EXPECT_EQ(value, str);
    EXPECT_EQ(GetCtrlAttribute(panel, str, ATTR_NEXT_CTRL, &value), 0);
    EXPECT_EQ(value, num);
    EXPECT_EQ(SetCtrlAttribute(panel, num, ATTR_CTRL_TAB_POSITION, 0), 0);
    EXPECT_EQ(GetPanelAttribute(panel, ATTR_PANEL_FIRST_CTRL, &value), 0);
    EXPECT_EQ(value, num);
    // Integer data type: min and max travel as int and the value is coerced into them.
    EXPECT_EQ(SetCtrlAttribute(panel, num, ATTR_DATA_TYPE, VAL_INTEGER), 0);
    EXPECT_EQ(SetCtrlAttribute(panel, num, ATTR_MIN_VALUE, 0), 0);
    EXPECT_EQ(SetCtrlAttribute(panel, num, ATTR_MAX_VALUE, 100), 0);
    EXPECT_EQ(SetCtrlAttribute(panel, num, ATTR_MIN_VALUE, 200), UIE_BAD_VALUE);
    EXPECT_EQ(SetCtrlVal(panel, num, 250), 0);
    EXPECT_EQ(GetCtrlVal(panel, num, &value), 0);
    EXPECT_EQ(value, 100);
}

TEST_F(UiModel, StringsAndTextMessagesHoldTheirText) {
    int str = NewCtrl(panel, CTRL_STRING, "S", 20, 10);
    int msg = NewCtrl(panel, CTRL_TEXT_MSG, "hello", 60, 10);
    EXPECT_EQ(SetCtrlVal(panel, str, "abc"), 0);
    EXPECT_EQ(rte::testing::ValueText(panel, str), "abc");
    EXPECT_EQ(rte::testing::ValueText(panel, msg), "hello");
}

TEST_F(UiModel, ListControlsKeepItemsAndSelection) {
    int list = NewCtrl(panel, CTRL_LIST_BOX, "Devices", 20, 10);
    char text[64];
    int n = 0, index = 0;
    EXPECT_EQ(GetCtrlVal(panel, list, text), UIE_LIST_EMPTY);
    EXPECT_EQ(SetCtrlAttribute(panel, list, ATTR_DATA_TYPE, VAL_STRING), 0);
    EXPECT_EQ(InsertListItem(panel, list, -1, "first", "dev-a"), 0);
    EXPECT_EQ(InsertListItem(panel, list, -1, "second", "dev-b"), 0);
    EXPECT_EQ(InsertListItem(panel, list, 0, "zero", "dev-0"), 0);
    EXPECT_EQ(InsertListItem(panel, list, 7, "bad", "x"), UIE_INDEX_OUT_OF_RANGE);
    EXPECT_EQ(GetNumListItems(panel, list, &n), 0);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(GetCtrlIndex(panel, list, &index), 0);
    EXPECT_EQ(index, 1);  // the selection stayed on "first"
    EXPECT_EQ(GetCtrlVal(panel, list, text), 0);
    EXPECT_STREQ(text, "dev-a");
    EXPECT_EQ(SetCtrlVal(panel, list, "dev-b"), 0);
    EXPECT_EQ(rte::testing::ValueText(panel, list), "second");
    EXPECT_EQ(SetCtrlVal(panel, list, "nope"), UIE_BAD_VALUE);
    EXPECT_EQ(ReplaceListItem(panel, list, 2, nullptr, "dev-bb"), 0);
    EXPECT_EQ(GetValueLengthFromIndex(panel, list, 2, &n), 0);
    EXPECT_EQ(n, 6);
    EXPECT_EQ(GetLabelFromIndex(panel, list, 2, text), 0);
    EXPECT_STREQ(text, "second");
    EXPECT_EQ(GetValueFromIndex(panel, list, 0, text), 0);
    EXPECT_STREQ(text, "dev-0");
    EXPECT_EQ(DeleteListItem(panel, list, 1, -1), 0);
    EXPECT_EQ(rte::testing::ItemLabels(panel, list), std::vector<std::string>{"zero"});
    EXPECT_EQ(GetCtrlIndex(panel, list, &index), 0);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(ClearListCtrl(panel, list), 0);
    EXPECT_EQ(GetCtrlIndex(panel, list, &index), 0);
    EXPECT_EQ(index, -1);
    int str = NewCtrl(panel, CTRL_STRING, "S", 100, 10);
    EXPECT_EQ(ClearListCtrl(panel, str), UIE_NOT_LIST_CONTROL);
}

TEST(UiErrors, EveryCodeHasAText) {
    const int codes[] = {UIE_NOT_INITIALIZED, UIE_NO_DISPLAY, UIE_OUT_OF_MEMORY, UIE_FILE_NOT_FOUND,
                         UIE_FILE_READ_ERROR, UIE_BAD_FILE_FORMAT, UIE_RESOURCE_NOT_FOUND,
                         UIE_CALLBACK_NOT_FOUND, UIE_BAD_PANEL, UIE_BAD_CONTROL, UIE_WRONG_ATTRIBUTE,
                         UIE_BAD_ATTRIBUTE, UIE_READ_ONLY_ATTRIBUTE, UIE_NOT_LIST_CONTROL,
                         UIE_INDEX_OUT_OF_RANGE, UIE_LIST_EMPTY, UIE_NO_VALUE, UIE_BAD_STYLE,
                         UIE_NOT_TOP_LEVEL, UIE_NO_PARENT_CHILD, UIE_LOOP_RUNNING, UIE_BAD_USER_EVENT,
                         UIE_NULL_POINTER, UIE_BAD_VALUE, UIE_NO_SUCH_THREAD, UIE_FILE_OPEN_FAILED,
                         UIE_FILE_IO_ERROR, UIE_FILE_MISSING, UIE_FILE_ACCESS_DENIED, UIE_DISK_FULL,
                         UIE_BAD_PATHNAME, UIE_WRONG_DATA_TYPE, UIE_BAD_COUNT,
                         UIE_NO_CURRENT_ITEM, UIE_BUFFER_TOO_SMALL, UIE_OPERATION_NOT_VALID,
                         RTE_THREAD_ERR_INVALID_HANDLE, RTE_THREAD_ERR_NOT_OWNER};
    for (int code : codes) EXPECT_STRNE(GetUILErrorString(code), GetUILErrorString(-1000)) << code;
}

TEST(UiErrors, BreakOnLibraryErrorsPrintsOneLine) {
    int before = SetBreakOnLibraryErrors(1);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(DiscardPanel(-5), UIE_BAD_PANEL);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "rte: DiscardPanel failed: -42 The panel handle is not valid.\n");
    DisableBreakOnLibraryErrors();
    EXPECT_EQ(GetBreakOnLibraryErrors(), 0);
    SetBreakOnLibraryErrors(before);
}

}  // namespace
