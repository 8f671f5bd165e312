// Tests of the one path of operator input with the keyboard and the pointer as the screen
// display feeds it: caret and selection, a numeric entry's typed text, the keys of rings and
// buttons, a button held and released; and the key names of operator scripts.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "rte/events/color_choice.h"
#include "rte/events/operator_input.h"
#include "rte/model/layout.h"
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
std::vector<std::string> g_commits;
int RecordCommit(int, int control, int event, void *, int, int) {
    if (event == EVENT_COMMIT) g_commits.push_back(std::to_string(control));
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

// Up and Down step a numeric field by one, Page Up and Page Down by ten, within its range; text
// typed into it counts first. Each step is a change and a commit, as a click on its arrows is.
TEST_F(OperatorKeys, KeysAndArrowsStepANumericWithinItsRange) {
    SetCtrlAttribute(panel, number, ATTR_DATA_TYPE, VAL_INTEGER);
    SetCtrlAttribute(panel, number, ATTR_MIN_VALUE, 0);
    SetCtrlAttribute(panel, number, ATTR_MAX_VALUE, 20);
    ASSERT_EQ(Focus(panel, number), 0);
    const struct {
        int start;
        std::initializer_list<int> keys;
        const char *value;
    } cases[] = {
        {5, {VAL_UP_ARROW_VKEY}, "6"},       {5, {VAL_DOWN_ARROW_VKEY}, "4"},
        {5, {VAL_PAGE_UP_VKEY}, "15"},       {15, {VAL_PAGE_UP_VKEY}, "20"},
        {1, {VAL_PAGE_DOWN_VKEY}, "0"},      {5, {'9', VAL_UP_ARROW_VKEY}, "10"},
        {5, {'x', VAL_DOWN_ARROW_VKEY}, "4"},
    };
    for (const auto &c : cases) {
        SetCtrlVal(panel, number, c.start);
        Keys(number, c.keys);
        EXPECT_EQ(ValueText(panel, number), c.value) << c.start;
    }
    // At the end of its range a step changes nothing but still commits.
    SetCtrlVal(panel, number, 20);
    g_events.clear();
    Keys(number, {VAL_UP_ARROW_VKEY});
    EXPECT_EQ(g_events, (std::vector<std::string>{Ev(EVENT_KEYPRESS, VAL_UP_ARROW_VKEY), Ev(EVENT_COMMIT)}));
    // The arrows fill the field's height, each half of it, at its left.
    int top = 0, left = 0, height = 0;
    GetCtrlAttribute(panel, number, ATTR_TOP, &top);
    GetCtrlAttribute(panel, number, ATTR_LEFT, &left);
    GetCtrlAttribute(panel, number, ATTR_HEIGHT, &height);
    in::ButtonDown(panel, left + height - 4, top + 1, false, 1);
    EXPECT_EQ(ValueText(panel, number), "20");
    in::ButtonDown(panel, left + height - 4, top + height - 2, false, 1);
    EXPECT_EQ(ValueText(panel, number), "19");
    // The program's value replaces text the operator was typing.
    Keys(number, {'3'});
    SetCtrlVal(panel, number, 12);
    Keys(number, {VAL_TAB_VKEY});
    EXPECT_EQ(ValueText(panel, number), "12");
}

// Alt and the letter a label marks: a button is pressed, a field is focused, and a label of its
// own gives the focus to the control after it; the next such control in tab order is taken.
TEST_F(OperatorKeys, AltAndALabelsMarkedLetterReachItsControl) {
    int cancel = NewCtrl(panel, CTRL_COMMAND_BUTTON, "  __Cancel  ", 200, 10);
    int name = NewCtrl(panel, CTRL_STRING, "__Name", 200, 100);
    NewCtrl(panel, CTRL_TEXT_MSG, "__Port:", 240, 10);
    int port = NewCtrl(panel, CTRL_NUMERIC, "", 240, 60);
    int close = NewCtrl(panel, CTRL_COMMAND_BUTTON, "__Close", 200, 200);
    int dimmed = NewCtrl(panel, CTRL_COMMAND_BUTTON, "__Dimmed", 260, 200);
    SetCtrlAttribute(panel, dimmed, ATTR_DIMMED, 1);
    for (int c : PanelCtrls(panel)) InstallCtrlCallback(panel, c, RecordCommit, nullptr);
    const int alt = VAL_ALT_MODIFIER;
    const struct {
        int key, focus;
        std::string pressed;
    } cases[] = {
        {'c' | alt, cancel, std::to_string(cancel)}, {'C' | alt, close, std::to_string(close)},
        {'c' | alt | VAL_SHIFT_MODIFIER, cancel, std::to_string(cancel)},
        {'n' | alt, name, ""}, {'p' | alt, port, ""}, {'d' | alt, port, ""}, {'q' | alt, port, ""},
    };
    for (const auto &c : cases) {
        g_commits.clear();
        ASSERT_EQ(KeyPress(panel, GetActiveCtrl(panel), c.key), 0);
        EXPECT_EQ(GetActiveCtrl(panel), c.focus) << c.key;
        EXPECT_EQ(g_commits, c.pressed.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.pressed})
            << c.key;
    }
    // A marked letter is no text: the field that has the focus keeps its value.
    EXPECT_EQ(ValueText(panel, port), "0");
}

// A list box's keys move its choice and keep it in sight; the program's choice and an item added
// while the panel is shown come into sight as well.
TEST_F(OperatorKeys, AListBoxsKeysMoveItsChoiceInSight) {
    int list = NewCtrl(panel, CTRL_LIST_BOX, "List", 180, 150);  // five lines
    for (int i = 0; i < 12; ++i) InsertListItem(panel, list, -1, std::to_string(i).c_str(), i);
    auto firstShown = [&] {
        std::lock_guard<std::recursive_mutex> hold(in::ModelLock());
        in::Panel *p = in::FindPanel(panel);
        return in::ListFirstVisible(*in::FindControl(p, list), &p->view);
    };
    EXPECT_EQ(firstShown(), 7) << "each item added came into sight";
    SetCtrlIndex(panel, list, 0);
    EXPECT_EQ(firstShown(), 0);
    ASSERT_EQ(Focus(panel, list), 0);
    const struct {
        int key, index, first;
    } cases[] = {
        {VAL_END_VKEY, 11, 7},      {VAL_HOME_VKEY, 0, 0},      {VAL_PAGE_DOWN_VKEY, 4, 0},
        {VAL_PAGE_DOWN_VKEY, 8, 4}, {VAL_PAGE_UP_VKEY, 4, 4},   {VAL_UP_ARROW_VKEY, 3, 3},
        {VAL_PAGE_UP_VKEY, 0, 0},
    };
    for (const auto &c : cases) {
        Keys(list, {c.key});
        int index = -1;
        GetCtrlIndex(panel, list, &index);
        EXPECT_EQ(index, c.index) << c.key;
        EXPECT_EQ(firstShown(), c.first) << c.key;
    }
    InsertListItem(panel, list, -1, "new", 12);
    EXPECT_EQ(firstShown(), 8);
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

// While a modal popup is up, the other panels take no keys and cannot be closed.
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
    RemovePopup(popup);
    EXPECT_EQ(ClosePanel(panel), 0);
    EXPECT_EQ(g_commits.size(), 2u);
}

int g_closeEvents;
int CountClose(int, int event, void *, int, int) {
    if (event == EVENT_CLOSE) ++g_closeEvents;
    return 0;
}

// The window's close button: EVENT_CLOSE to the panel, then its close control; a panel that
// shows no close item (a progress dialog) gets no EVENT_CLOSE, and its close control, or else
// its Escape button, is pressed; with neither it ignores the close.
TEST_F(OperatorKeys, TheWindowsCloseButtonActsAsTheCloseControl) {
    const struct {
        int closeItem;
        bool closeCtrl, escape;
        int closeEvents;
        const char *pressed;
    } cases[] = {
        {1, true, true, 1, "close"}, {1, false, true, 1, ""},     {0, true, true, 0, "close"},
        {0, false, true, 0, "cancel"}, {0, false, false, 0, ""},
    };
    for (const auto &c : cases) {
        int dialog = NewPanel(0, "Dialog", 0, 0, 100, 200);
        int close = NewCtrl(dialog, CTRL_COMMAND_BUTTON, "Close", 10, 10);
        int cancel = NewCtrl(dialog, CTRL_COMMAND_BUTTON, "Cancel", 10, 100);
        InstallPanelCallback(dialog, CountClose, nullptr);
        InstallCtrlCallback(dialog, close, RecordCommit, nullptr);
        InstallCtrlCallback(dialog, cancel, RecordCommit, nullptr);
        SetPanelAttribute(dialog, ATTR_CLOSE_ITEM_VISIBLE, c.closeItem);
        if (c.closeCtrl) SetPanelAttribute(dialog, ATTR_CLOSE_CTRL, close);
        if (c.escape) SetCtrlAttribute(dialog, cancel, ATTR_SHORTCUT_KEY, VAL_ESC_VKEY);
        DisplayPanel(dialog);
        g_commits.clear();
        g_closeEvents = 0;
        EXPECT_EQ(ClosePanel(dialog), 0);
        std::string pressed = g_commits.empty() ? "" : g_commits[0] == std::to_string(close) ? "close" : "cancel";
        EXPECT_EQ(pressed, c.pressed) << c.closeItem << c.closeCtrl << c.escape;
        EXPECT_EQ(g_commits.size(), pressed.empty() ? 0u : 1u);
        EXPECT_EQ(g_closeEvents, c.closeEvents);
        DiscardPanel(dialog);
    }
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
    EXPECT_EQ(Type(panel, colour, "0x80"), 0);
    EXPECT_EQ(Type(panel, colour, "#1a3"), 0);  // CSS's short form
    for (const char *bad : {"red", "#1234567", "#12", "80", "#12345", "0x"}) {
        EXPECT_EQ(Type(panel, colour, bad), UIE_BAD_VALUE) << bad;
    }
    EXPECT_EQ(g_colorEvents, (std::vector<std::string>{"2=0xFF8000", "1=0xFF8000", "2=0x00FF00", "1=0x00FF00",
                                                        "2=0x000080", "1=0x000080", "2=0x11AA33", "1=0x11AA33"}));
    // Digits that are no colour choose nothing from the custom entry: it stays open for more.
    open();
    Keys(colour, {'1', '2', VAL_ENTER_VKEY});
    EXPECT_TRUE(in::ColorChoiceOpen(panel));
    Keys(colour, {'3', VAL_ENTER_VKEY});
    EXPECT_EQ(g_colorEvents, (std::vector<std::string>{"2=0x112233", "1=0x112233"}));
    // An indicator opens nothing.
    SetCtrlAttribute(panel, colour, ATTR_CTRL_MODE, VAL_INDICATOR);
    in::OpenColorChoice(panel, colour);
    EXPECT_FALSE(in::ColorChoiceOpen(panel));
}

}  // namespace
