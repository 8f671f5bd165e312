// Tests of the one path of operator input with the keyboard and the pointer as the screen
// display feeds it: caret and selection, a numeric entry's typed text, the keys of rings and
// buttons, a button held and released; and the key names of operator scripts.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "rte/events/color_choice.h"
#include "rte/events/operator_input.h"
#include "rte/model/color_choice.h"
#include "rte/events/operator_script.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

using namespace rte::testing;
namespace in = rte::internal;

std::vector<std::string> g_events;
int Record(int, int, int event, void *, int data1, int) {
    if (event != EVENT_GOT_FOCUS && event != EVENT_LOST_FOCUS) {
        g_events.push_back(std::to_string(event) + (event == EVENT_KEYPRESS ? ":" + std::to_string(data1) : ""));
    }
    return 0;
}
std::string Ev(int event, int data1 = -1) {
    return std::to_string(event) + (data1 >= 0 ? ":" + std::to_string(data1) : "");
}

class OperatorKeys : public ::testing::Test {
protected:
    void SetUp() override {
        g_events.clear();
        panel = NewPanel(0, "Keys", 100, 100, 300, 300);
        text = NewCtrl(panel, CTRL_STRING, "Text", 20, 10);
        number = NewCtrl(panel, CTRL_NUMERIC, "Number", 60, 10);
        ring = NewCtrl(panel, CTRL_RING, "Ring", 100, 10);
        button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Go", 140, 10);
        for (int label : {1, 2, 3}) InsertListItem(panel, ring, -1, std::to_string(label).c_str(), label);
        for (int c : PanelCtrls(panel)) InstallCtrlCallback(panel, c, Record, nullptr);
        DisplayPanel(panel);
    }
    void TearDown() override { DiscardAllPanels(); }
    void Keys(int control, std::initializer_list<int> codes) {
        for (int code : codes) ASSERT_EQ(KeyPress(panel, control, code), 0);
    }
    int panel = 0, text = 0, number = 0, ring = 0, button = 0;
};

TEST_F(OperatorKeys, TheCaretAndTheSelectionEditAString) {
    SetCtrlVal(panel, text, "abc");
    ASSERT_EQ(Focus(panel, text), 0);  // the whole text is selected: typing replaces it
    Keys(text, {VAL_END_VKEY, VAL_LEFT_ARROW_VKEY, 'X'});
    EXPECT_EQ(ValueText(panel, text), "abXc");
    Keys(text, {VAL_HOME_VKEY, VAL_RIGHT_ARROW_VKEY, VAL_END_VKEY | VAL_SHIFT_MODIFIER, VAL_BACKSPACE_VKEY});
    EXPECT_EQ(ValueText(panel, text), "a");
    Keys(text, {'a' | VAL_MENUKEY_MODIFIER, 'z'});  // Ctrl+A selects all
    EXPECT_EQ(ValueText(panel, text), "z");
    Keys(text, {VAL_HOME_VKEY, VAL_FWD_DELETE_VKEY, VAL_FWD_DELETE_VKEY});
    EXPECT_EQ(ValueText(panel, text), "");
    // Each change of a string's value is an EVENT_VAL_CHANGED; the second Delete changes nothing.
    int changes = 0;
    for (const std::string &e : g_events) changes += e == Ev(EVENT_VAL_CHANGED);
    EXPECT_EQ(changes, 4);
}

TEST_F(OperatorKeys, ANumericTakesItsTypedTextWhenCommitted) {
    ASSERT_EQ(Focus(panel, number), 0);
    Keys(number, {'4', '2'});
    EXPECT_EQ(ValueText(panel, number), "0");  // still being typed
    g_events.clear();
    Keys(number, {VAL_ENTER_VKEY});
    EXPECT_EQ(ValueText(panel, number), "42");
    EXPECT_EQ(g_events, (std::vector<std::string>{Ev(EVENT_KEYPRESS, VAL_ENTER_VKEY), Ev(EVENT_VAL_CHANGED),
                                                  Ev(EVENT_COMMIT)}));
    // Leaving it commits too; text that is no number leaves the value as it was.
    Keys(number, {'7', VAL_TAB_VKEY});
    EXPECT_EQ(ValueText(panel, number), "7");
    ASSERT_EQ(Focus(panel, number), 0);
    Keys(number, {'x', VAL_TAB_VKEY});
    EXPECT_EQ(ValueText(panel, number), "7");
}

TEST_F(OperatorKeys, RingsAndButtonsAnswerTheirKeys) {
    ASSERT_EQ(Focus(panel, ring), 0);
    g_events.clear();
    Keys(ring, {VAL_DOWN_ARROW_VKEY});
    EXPECT_EQ(ValueText(panel, ring), "2");
    // Space opens the list, whose keys are its own; Enter chooses, Escape leaves it unchosen.
    Keys(ring, {' ', VAL_DOWN_ARROW_VKEY, VAL_ENTER_VKEY});
    EXPECT_EQ(ValueText(panel, ring), "3");
    Keys(ring, {VAL_F4_VKEY, VAL_HOME_VKEY, VAL_ESC_VKEY});
    EXPECT_EQ(ValueText(panel, ring), "3");
    EXPECT_EQ(g_events, (std::vector<std::string>{Ev(EVENT_KEYPRESS, VAL_DOWN_ARROW_VKEY), Ev(EVENT_VAL_CHANGED),
                                                  Ev(EVENT_VAL_CHANGED), Ev(EVENT_COMMIT)}));
    ASSERT_EQ(Focus(panel, button), 0);
    g_events.clear();
    Keys(button, {' '});
    EXPECT_EQ(g_events, (std::vector<std::string>{Ev(EVENT_COMMIT), Ev(EVENT_KEYPRESS, ' ')}));
    // A held Space presses it once.
    g_events.clear();
    in::KeyDown(panel, button, ' ', true);
    EXPECT_TRUE(g_events.empty());
}

TEST_F(OperatorKeys, AButtonCommitsWhenReleasedOverItself) {
    int x = 10 + 5, y = 140 + 5;
    in::ButtonDown(panel, x, y, false, 1);
    in::ButtonUp(panel, 290, 290, false);  // released elsewhere
    EXPECT_EQ(g_events, std::vector<std::string>{Ev(EVENT_LEFT_CLICK)});
    g_events.clear();
    in::ButtonDown(panel, x, y, false, 1);
    in::PointerMoved(panel, x + 1, y, true, false);
    in::ButtonUp(panel, x + 1, y, false);
    EXPECT_EQ(g_events, (std::vector<std::string>{Ev(EVENT_LEFT_CLICK), Ev(EVENT_COMMIT)}));
    int px = 0, left = 1;
    ASSERT_EQ(GetRelativeMouseState(panel, 0, &px, nullptr, &left, nullptr, nullptr), 0);
    EXPECT_EQ(px, x + 1);
    EXPECT_EQ(left, 0);
}

TEST(OperatorScriptKeys, KeysAreNamedAsTheKeyboardNamesThem) {
    struct Case {
        const char *name;
        int code;
    } cases[] = {
        {"Tab", VAL_TAB_VKEY}, {"shift+tab", VAL_TAB_VKEY | VAL_SHIFT_MODIFIER},
        {"Ctrl+Alt+Delete", VAL_FWD_DELETE_VKEY | VAL_MENUKEY_MODIFIER | VAL_ALT_MODIFIER},
        {"Ctrl+a", 'a' | VAL_MENUKEY_MODIFIER}, {"F4", VAL_F4_VKEY}, {"F12", VAL_F12_VKEY}, {"Space", ' '},
        {"+", '+'}, {"x", 'x'},
        // Names no key has.
        {"F13", 0}, {"F04", 0}, {"Hyper+x", 0}, {"Shift+", 0}, {"Ctrl+Bogus", 0}, {"\xC3\xA9", 0},
    };
    for (const Case &c : cases) EXPECT_EQ(rte::internal::KeyCodeOf(c.name), c.code) << c.name;

    std::vector<rte::internal::ScriptLine> lines;
    std::string error;
    ASSERT_TRUE(rte::internal::ParseOperatorScript("key Shift+Tab\nkeys  two words \n", "s", &lines, &error)) << error;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].keyCode, VAL_TAB_VKEY | VAL_SHIFT_MODIFIER);
    EXPECT_EQ(lines[1].text, "two words ");
    for (const char *bad : {"key\n", "key Tab Tab\n", "key Bogus\n"}) {
        EXPECT_FALSE(rte::internal::ParseOperatorScript(bad, "s", &lines, &error)) << bad;
        EXPECT_EQ(error.rfind("s:1: key", 0), 0u) << error;
    }
}

}  // namespace

namespace {

std::vector<std::string> g_commits;
int RecordCommit(int, int control, int event, void *, int, int) {
    if (event == EVENT_COMMIT) g_commits.push_back(std::to_string(control));
    return 0;
}

// A dialog's keys: Enter presses the confirming button and Escape the cancelling one wherever
// the focus is, except that Enter on a focused button presses that button.
TEST_F(OperatorKeys, ShortcutKeysPressTheirControls) {
    int ok = NewCtrl(panel, CTRL_COMMAND_BUTTON, "__OK", 200, 10);
    int cancel = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Cancel", 200, 100);
    SetCtrlAttribute(panel, ok, ATTR_SHORTCUT_KEY, VAL_ENTER_VKEY);
    SetCtrlAttribute(panel, cancel, ATTR_SHORTCUT_KEY, VAL_ESC_VKEY);
    for (int c : PanelCtrls(panel)) InstallCtrlCallback(panel, c, RecordCommit, nullptr);
    const struct {
        int focus, key;
        std::string pressed;
    } cases[] = {
        {text, VAL_ENTER_VKEY, std::to_string(ok)},     {text, VAL_ESC_VKEY, std::to_string(cancel)},
        {ring, VAL_ENTER_VKEY, std::to_string(ok)},     {cancel, VAL_ENTER_VKEY, std::to_string(cancel)},
        {button, VAL_ESC_VKEY, std::to_string(cancel)}, {text, VAL_ENTER_VKEY | VAL_SHIFT_MODIFIER, std::to_string(text)},
    };
    for (const auto &c : cases) {
        g_commits.clear();
        ASSERT_EQ(Focus(panel, c.focus), 0);
        ASSERT_EQ(KeyPress(panel, c.focus, c.key), 0);
        EXPECT_EQ(g_commits, std::vector<std::string>{c.pressed}) << c.focus << " " << c.key;
    }
    // A number being typed counts before the dialog acts on it.
    ASSERT_EQ(Focus(panel, number), 0);
    Keys(number, {'5', VAL_ENTER_VKEY});
    EXPECT_EQ(ValueText(panel, number), "5");
    // A dimmed button's key does nothing of its own: Enter commits the entry then.
    SetCtrlAttribute(panel, ok, ATTR_DIMMED, 1);
    g_commits.clear();
    ASSERT_EQ(Focus(panel, text), 0);
    Keys(text, {VAL_ENTER_VKEY});
    EXPECT_EQ(g_commits, std::vector<std::string>{std::to_string(text)});
}

// While a modal popup is up, the other panels take no keys and cannot be closed; a panel that
// shows no close item cannot be closed either.
TEST_F(OperatorKeys, AModalPopupKeepsInputToItself) {
    int popup = NewPanel(0, "Popup", 0, 0, 100, 100);
    int close = NewCtrl(popup, CTRL_COMMAND_BUTTON, "Close", 10, 10);
    InstallCtrlCallback(popup, close, RecordCommit, nullptr);
    SetPanelAttribute(popup, ATTR_CLOSE_CTRL, close);
    InstallCtrlCallback(panel, button, RecordCommit, nullptr);
    SetPanelAttribute(panel, ATTR_CLOSE_CTRL, button);
    ASSERT_EQ(InstallPopup(popup), 0);
    g_commits.clear();
    in::KeyDown(panel, button, ' ', false);
    in::CloseByOperator(panel);
    EXPECT_TRUE(g_commits.empty());
    EXPECT_EQ(ClosePanel(popup), 0);
    EXPECT_EQ(g_commits, std::vector<std::string>{std::to_string(close)});
    SetPanelAttribute(popup, ATTR_CLOSE_ITEM_VISIBLE, 0);
    EXPECT_EQ(ClosePanel(popup), 0);
    EXPECT_EQ(g_commits.size(), 1u);
    RemovePopup(popup);
    EXPECT_EQ(ClosePanel(panel), 0);
    EXPECT_EQ(g_commits.size(), 2u);
}

}  // namespace

namespace {

std::vector<std::string> g_colorEvents;
int RecordColor(int panel, int control, int event, void *, int, int) {
    if (event == EVENT_VAL_CHANGED || event == EVENT_COMMIT) {
        g_colorEvents.push_back(std::to_string(event) + "=" + ValueText(panel, control));
    }
    return 0;
}

// The colour choice a colour numeric opens: by the pointer, by the keys (the grid and the
// custom entry), and closed without a choice.
TEST_F(OperatorKeys, AColourNumericChoosesFromItsColourChoice) {
    int colour = NewCtrl(panel, CTRL_COLOR_NUMERIC, "Colour", 180, 150);
    SetCtrlVal(panel, colour, 0x000000);
    InstallCtrlCallback(panel, colour, RecordColor, nullptr);
    auto open = [&] {
        g_colorEvents.clear();
        ASSERT_EQ(Press(panel, colour), 0);
        ASSERT_TRUE(in::ColorChoiceOpen(panel));
        EXPECT_TRUE(g_colorEvents.empty());  // opening commits nothing
    };
    // The grid's third swatch is light grey, the fifth red (rte/model/color_choice.cpp).
    open();
    in::ButtonDown(panel, 0, 0, false, 1);  // outside: closes, nothing chosen
    EXPECT_FALSE(in::ColorChoiceOpen(panel));
    EXPECT_TRUE(g_colorEvents.empty());
    open();
    Keys(colour, {VAL_RIGHT_ARROW_VKEY, VAL_RIGHT_ARROW_VKEY, VAL_RIGHT_ARROW_VKEY, VAL_RIGHT_ARROW_VKEY,
                  VAL_ENTER_VKEY});
    EXPECT_EQ(g_colorEvents, (std::vector<std::string>{"2=0xFF0000", "1=0xFF0000"}));
    EXPECT_FALSE(in::ColorChoiceOpen(panel));
    // Hex digits into the custom entry; Backspace takes one back; other characters are ignored.
    open();
    Keys(colour, {'1', '2', 'x', '3', '4', '5', '6', '7', VAL_BACKSPACE_VKEY, 'a', VAL_ENTER_VKEY});
    EXPECT_EQ(g_colorEvents, (std::vector<std::string>{"2=0x12345A", "1=0x12345A"}));
    // The same colour again: committed, but no change.
    open();
    Keys(colour, {'1', '2', '3', '4', '5', 'a', VAL_ENTER_VKEY});
    EXPECT_EQ(g_colorEvents, (std::vector<std::string>{"1=0x12345A"}));
    // The pointer: hovering marks, a click on a swatch chooses it.
    open();
    {
        std::lock_guard<std::recursive_mutex> hold(in::ModelLock());
        in::Panel *p = in::FindPanel(panel);
        in::ColorChoiceGeometry g;
        in::ColorChoicePlace(*p, *in::FindControl(p, colour), &g);
        int x = g.left + in::kColorMargin + 2 * in::kColorCell + 5, y = g.top + in::kColorMargin + 5;
        in::PointerMoved(panel, x, y, false, false);
        EXPECT_EQ(p->view.colorHover, 2);
        in::ButtonDown(panel, x, y, false, 1);
    }
    EXPECT_EQ(g_colorEvents, (std::vector<std::string>{"2=0xCCCCCC", "1=0xCCCCCC"}));
    // Escape closes; typing a colour as a script does chooses it at once.
    open();
    Keys(colour, {VAL_ESC_VKEY});
    EXPECT_FALSE(in::ColorChoiceOpen(panel));
    EXPECT_EQ(Type(panel, colour, "#ff8000"), 0);
    EXPECT_EQ(Type(panel, colour, "0x00FF00"), 0);
    EXPECT_EQ(Type(panel, colour, "80"), 0);
    EXPECT_EQ(Type(panel, colour, "red"), UIE_BAD_VALUE);
    EXPECT_EQ(Type(panel, colour, "#1234567"), UIE_BAD_VALUE);
    EXPECT_EQ(g_colorEvents, (std::vector<std::string>{"2=0xFF8000", "1=0xFF8000", "2=0x00FF00", "1=0x00FF00",
                                                        "2=0x000080", "1=0x000080"}));
    // An indicator opens nothing.
    SetCtrlAttribute(panel, colour, ATTR_CTRL_MODE, VAL_INDICATOR);
    in::OpenColorChoice(panel, colour);
    EXPECT_FALSE(in::ColorChoiceOpen(panel));
}

}  // namespace
