// Tests of what the operator does (rte/testing.h): focus moves and keys, choosing and typing
// that the operator cannot do, closing panels, the mouse, dropped files and re-made windows;
// and operator scripts played from the event loop.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

using namespace rte::testing;

std::vector<std::string> g_events;
int g_swallow = EVENT_NONE;  // the event that Record swallows

// Records "control:event:data1".
int Record(int, int control, int event, void *, int data1, int) {
    g_events.push_back(std::to_string(control) + ":" + std::to_string(event) + ":" + std::to_string(data1));
    return event == g_swallow ? 1 : 0;
}
int RecordPanel(int, int event, void *, int data1, int) { return Record(0, 0, event, nullptr, data1, 0); }

std::string Ev(int control, int event, int data1 = 0) {
    return std::to_string(control) + ":" + std::to_string(event) + ":" + std::to_string(data1);
}

class OperatorInput : public ::testing::Test {
protected:
    void SetUp() override {
        g_events.clear();
        g_swallow = EVENT_NONE;
        panel = NewPanel(0, "Operator", 100, 50, 300, 300);
        a = NewCtrl(panel, CTRL_STRING, "A", 10, 10);
        msg = NewCtrl(panel, CTRL_TEXT_MSG, "note", 40, 10);
        b = NewCtrl(panel, CTRL_STRING, "B", 70, 10);
        num = NewCtrl(panel, CTRL_NUMERIC, "N", 100, 10);
        list = NewCtrl(panel, CTRL_RING, "L", 130, 10);
        InsertListItem(panel, list, -1, "one", 1);
        InsertListItem(panel, list, -1, "two", 2);
        for (int ctrl : PanelCtrls(panel)) InstallCtrlCallback(panel, ctrl, Record, nullptr);
        InstallPanelCallback(panel, RecordPanel, nullptr);
        DisplayPanel(panel);
    }
    void TearDown() override { DiscardAllPanels(); }
    std::vector<std::string> Take() { return std::exchange(g_events, {}); }
    int panel = 0, a = 0, msg = 0, b = 0, num = 0, list = 0;
};

TEST_F(OperatorInput, FocusMovesLoseThenGainAndSetActiveCtrlIsSilent) {
    // A panel shown for the first time starts with its first control that takes the focus,
    // silently; a panel whose program chose one keeps that.
    EXPECT_EQ(GetActiveCtrl(panel), a);
    EXPECT_EQ(Take(), std::vector<std::string>{});
    int chosen = NewPanel(0, "Chosen", 0, 0, 100, 100);
    NewCtrl(chosen, CTRL_TEXT_MSG, "label", 5, 5);
    NewCtrl(chosen, CTRL_STRING, "first", 20, 5);
    int second = NewCtrl(chosen, CTRL_STRING, "second", 50, 5);
    SetActiveCtrl(chosen, second);
    DisplayPanel(chosen);
    EXPECT_EQ(GetActiveCtrl(chosen), second);
    DiscardPanel(chosen);
    ASSERT_EQ(Focus(panel, a), 0);
    EXPECT_EQ(Take(), std::vector<std::string>{});
    ASSERT_EQ(Focus(panel, b), 0);
    EXPECT_EQ(Take(), (std::vector<std::string>{Ev(a, EVENT_LOST_FOCUS, b), Ev(b, EVENT_GOT_FOCUS, a)}));
    ASSERT_EQ(Focus(panel, b), 0);
    EXPECT_EQ(Take(), std::vector<std::string>{});
    ASSERT_EQ(SetActiveCtrl(panel, a), 0);
    EXPECT_EQ(Take(), std::vector<std::string>{});
    // Tab goes on in tab order, past the text message, and wraps round.
    ASSERT_EQ(KeyPress(panel, a, VAL_TAB_VKEY), 0);
    EXPECT_EQ(Take(), (std::vector<std::string>{Ev(a, EVENT_KEYPRESS, VAL_TAB_VKEY), Ev(a, EVENT_LOST_FOCUS, b),
                                                Ev(b, EVENT_GOT_FOCUS, a)}));
    SetActiveCtrl(panel, list);
    KeyPress(panel, list, VAL_TAB_VKEY);
    EXPECT_EQ(GetActiveCtrl(panel), a);
    // What cannot take the focus.
    EXPECT_EQ(Focus(panel, msg), UIE_BAD_VALUE);
    EXPECT_EQ(Focus(panel, 999), UIE_BAD_CONTROL);
    EXPECT_EQ(Focus(999, a), UIE_BAD_PANEL);
    SetCtrlAttribute(panel, b, ATTR_CTRL_MODE, VAL_INDICATOR);
    EXPECT_EQ(Focus(panel, b), UIE_BAD_VALUE);
    HidePanel(panel);
    EXPECT_EQ(Focus(panel, a), UIE_BAD_VALUE);
}

TEST_F(OperatorInput, KeysEditAStringEntryUpToItsMaximumLength) {
    SetCtrlAttribute(panel, a, ATTR_MAX_ENTRY_LENGTH, 2);
    for (int key : {'x', 'y', 'z'}) KeyPress(panel, a, key);
    EXPECT_EQ(ValueText(panel, a), "xy");
    KeyPress(panel, a, VAL_BACKSPACE_VKEY);
    KeyPress(panel, a, 'q' | VAL_MENUKEY_MODIFIER);  // a shortcut, not text
    EXPECT_EQ(ValueText(panel, a), "x");
    KeyPress(panel, a, VAL_ENTER_VKEY);
    EXPECT_EQ(Take(), (std::vector<std::string>{
                          Ev(a, EVENT_KEYPRESS, 'x'), Ev(a, EVENT_VAL_CHANGED), Ev(a, EVENT_KEYPRESS, 'y'),
                          Ev(a, EVENT_VAL_CHANGED), Ev(a, EVENT_KEYPRESS, 'z'),
                          Ev(a, EVENT_KEYPRESS, VAL_BACKSPACE_VKEY), Ev(a, EVENT_VAL_CHANGED),
                          Ev(a, EVENT_KEYPRESS, 'q' | VAL_MENUKEY_MODIFIER), Ev(a, EVENT_KEYPRESS, VAL_ENTER_VKEY),
                          Ev(a, EVENT_COMMIT)}));
    g_swallow = EVENT_KEYPRESS;
    KeyPress(panel, a, VAL_BACKSPACE_VKEY);
    KeyPress(panel, a, VAL_ENTER_VKEY);
    EXPECT_EQ(ValueText(panel, a), "x");
    EXPECT_EQ(Take().size(), 2u);  // the two key presses, nothing after them
}

TEST_F(OperatorInput, ChoosingAndTypingWhatTheOperatorCannot) {
    EXPECT_EQ(Select(panel, list, "three"), UIE_BAD_VALUE);
    EXPECT_EQ(Select(panel, a, "one"), UIE_NOT_LIST_CONTROL);
    EXPECT_EQ(Take(), std::vector<std::string>{});
    ASSERT_EQ(Select(panel, list, "one"), 0);  // already chosen: a commit, no change
    EXPECT_EQ(Take(), (std::vector<std::string>{Ev(a, EVENT_LOST_FOCUS, list), Ev(list, EVENT_GOT_FOCUS, a),
                                                Ev(list, EVENT_COMMIT)}));
    ASSERT_EQ(Select(panel, list, "two"), 0);
    EXPECT_EQ(Take(), (std::vector<std::string>{Ev(list, EVENT_VAL_CHANGED), Ev(list, EVENT_COMMIT)}));
    SetCtrlAttribute(panel, list, ATTR_CTRL_MODE, VAL_INDICATOR);
    EXPECT_EQ(Select(panel, list, "one"), UIE_BAD_VALUE);

    EXPECT_EQ(Type(panel, num, "4x2"), UIE_BAD_VALUE);
    EXPECT_EQ(ValueText(panel, num), "0");
    EXPECT_EQ(Type(panel, num, "42 "), 0);
    EXPECT_EQ(ValueText(panel, num), "42");
    EXPECT_EQ(Type(panel, list, "one"), UIE_WRONG_ATTRIBUTE);

    // A modal popup takes all input.
    int popup = NewPanel(0, "Popup", 0, 0, 50, 50);
    ASSERT_EQ(InstallPopup(popup), 0);
    EXPECT_EQ(Focus(panel, a), UIE_BAD_VALUE);
    ASSERT_EQ(RemovePopup(0), 0);
    EXPECT_FALSE(IsPanelVisible(popup));
    EXPECT_EQ(Focus(panel, a), 0);
}

TEST_F(OperatorInput, ClosingAPanelCommitsItsCloseControl) {
    int quit = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Quit", 200, 10);
    InstallCtrlCallback(panel, quit, Record, nullptr);
    ASSERT_EQ(SetPanelAttribute(panel, ATTR_CLOSE_CTRL, quit), 0);
    ASSERT_EQ(ClosePanel(panel), 0);
    EXPECT_EQ(Take(), (std::vector<std::string>{Ev(0, EVENT_CLOSE), Ev(quit, EVENT_COMMIT)}));
    g_swallow = EVENT_CLOSE;
    ASSERT_EQ(ClosePanel(panel), 0);
    EXPECT_EQ(Take(), std::vector<std::string>{Ev(0, EVENT_CLOSE)});
    EXPECT_EQ(ClosePanel(999), UIE_BAD_PANEL);
}

std::vector<std::string> g_dropped;
int TakeDrop(int, int event, void *, int count, int) {
    if (event != EVENT_DROP) return 0;
    EXPECT_EQ(RteGetDroppedFileCount(), count);
    for (int i = 0; i < count; ++i) g_dropped.push_back(RteGetDroppedFile(i));
    EXPECT_EQ(RteGetDroppedFile(count), nullptr);
    return 0;
}

int g_recreated = 0;
void *g_windows[2];
void Recreated(int panel, void *oldWindow, void *newWindow) {
    g_recreated = panel;
    g_windows[0] = oldWindow;
    g_windows[1] = newWindow;
}

TEST_F(OperatorInput, MouseDroppedFilesAndRemadeWindows) {
    // Positions are relative to the panel or control asked about, through parent panels.
    int child = NewPanel(panel, "Child", 10, 20, 100, 100);
    int button = NewCtrl(child, CTRL_COMMAND_BUTTON, "B", 5, 6);
    SetMouseState(child, 30, 40, true, false);
    int x = 0, y = 0, left = 0, right = 1, keys = 1;
    ASSERT_EQ(GetRelativeMouseState(child, 0, &x, &y, &left, &right, &keys), 0);
    EXPECT_EQ(std::vector<int>({x, y, left, right, keys}), std::vector<int>({30, 40, 1, 0, 0}));
    ASSERT_EQ(GetRelativeMouseState(panel, 0, &x, &y, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(std::vector<int>({x, y}), std::vector<int>({50, 50}));
    ASSERT_EQ(GetRelativeMouseState(child, button, &x, &y, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(std::vector<int>({x, y}), std::vector<int>({24, 35}));

    g_dropped.clear();
    InstallPanelCallback(panel, TakeDrop, nullptr);
    ASSERT_EQ(DropFiles(panel, {"/tmp/a.txt", "b c.txt"}), 0);
    EXPECT_EQ(g_dropped, (std::vector<std::string>{"/tmp/a.txt", "b c.txt"}));
    EXPECT_EQ(RteGetDroppedFileCount(), 0);  // only during the callback
    EXPECT_EQ(RteGetDroppedFile(0), nullptr);
    EXPECT_EQ(DropFiles(999, {"x"}), UIE_BAD_PANEL);

    void *before = nullptr, *after = nullptr;
    GetPanelAttribute(panel, ATTR_SYSTEM_WINDOW_HANDLE, &before);
    SetWindowRecreatedHook(Recreated);
    ASSERT_EQ(RecreateWindow(panel), 0);
    SetWindowRecreatedHook(nullptr);
    GetPanelAttribute(panel, ATTR_SYSTEM_WINDOW_HANDLE, &after);
    EXPECT_NE(after, before);
    EXPECT_EQ(g_recreated, panel);
    EXPECT_EQ(g_windows[0], before);
    EXPECT_EQ(g_windows[1], after);
    EXPECT_EQ(RecreateWindow(child), UIE_NOT_TOP_LEVEL);
    EXPECT_EQ(RecreateWindow(999), UIE_BAD_PANEL);
}

TEST_F(OperatorInput, TheMouseClicksWhatIsUnderItAlsoInChildPanels) {
    // A child panel at (20, 10) of the panel, with a button at (5, 6) of the child; A lies at
    // (10, 10) of the panel, partly under the child, which takes the clicks over its area.
    int child = NewPanel(panel, "Child", 10, 20, 100, 100);
    int button = NewCtrl(child, CTRL_COMMAND_BUTTON, "B", 5, 6);
    InstallCtrlCallback(child, button, Record, nullptr);
    DisplayPanel(child);
    Take();
    ASSERT_EQ(MoveMouse(panel, 30, 20), 0);  // (10, 10) of the child: on the button
    ASSERT_EQ(MouseButton(panel, false, true), 0);  // the child's only button has its focus already
    EXPECT_EQ(Take(), (std::vector<std::string>{Ev(button, EVENT_LEFT_CLICK, 10)}));
    ASSERT_EQ(MouseButton(panel, false, false), 0);
    EXPECT_EQ(Take(), (std::vector<std::string>{Ev(button, EVENT_COMMIT)}));
    // Pressed on the button, released outside the child: the child keeps the release, and the
    // button does not commit.
    ASSERT_EQ(MouseButton(panel, false, true), 0);
    ASSERT_EQ(MoveMouse(panel, 200, 250), 0);
    ASSERT_EQ(MouseButton(panel, false, false), 0);
    EXPECT_EQ(Take(), (std::vector<std::string>{Ev(button, EVENT_LEFT_CLICK, 10)}));
    // Beside the child the panel's own controls take the clicks; a hidden child takes none.
    HidePanel(child);
    ASSERT_EQ(MoveMouse(panel, 15, 15), 0);
    ASSERT_EQ(MouseButton(panel, true, true), 0);
    ASSERT_EQ(MouseButton(panel, true, false), 0);
    EXPECT_EQ(Take(), (std::vector<std::string>{Ev(a, EVENT_RIGHT_CLICK, 15)}));
    int x = 0, y = 0, left = 1, right = 1;
    ASSERT_EQ(GetRelativeMouseState(child, 0, &x, &y, &left, &right, nullptr), 0);
    EXPECT_EQ(std::vector<int>({x, y, left, right}), std::vector<int>({-5, 5, 0, 0}));
    EXPECT_EQ(MoveMouse(999, 0, 0), UIE_BAD_PANEL);
    EXPECT_EQ(MouseButton(999, false, true), UIE_BAD_PANEL);
}

// ---- Operator scripts, played in a child process (a failing script ends the program) ----

extern "C" int ScriptQuit(int, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT) QuitUserInterface(0);
    return 0;
}
// A dialog made in code, run by its own loop over GetUserEvent while it counts up: what the
// operator pressed, and at which count, goes to PANEL_NOTE.
extern "C" int ScriptDialog(int panel, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int dialog = NewPanel(0, "Counting", 0, 0, 120, 200);
    int count = NewCtrl(dialog, CTRL_NUMERIC, "Progress", 20, 10);
    SetCtrlAttribute(dialog, count, ATTR_DATA_TYPE, VAL_INTEGER);
    int ok = NewCtrl(dialog, CTRL_COMMAND_BUTTON, "__OK", 60, 10);
    int cancel = NewCtrl(dialog, CTRL_COMMAND_BUTTON, "  __Cancel  ", 60, 100);
    InstallPopup(dialog);
    std::string outcome = "nothing";
    for (int i = 0; i <= 100 && outcome == "nothing"; ++i) {
        SetCtrlVal(dialog, count, i);
        int p = 0, c = 0;
        if (GetUserEvent(0, &p, &c) == EVENT_COMMIT && p == dialog) {
            if (c == ok) outcome = "ok at " + std::to_string(i);
            if (c == cancel) outcome = "cancel at " + std::to_string(i);
        }
    }
    DiscardPanel(dialog);
    SetCtrlVal(panel, 4, outcome.c_str());
    return 0;
}

const RteSymbol kScriptSymbols[] = {{"scriptQuit", reinterpret_cast<void *>(&ScriptQuit), 1},
                                    {"scriptDialog", reinterpret_cast<void *>(&ScriptDialog), 1}};

const char kScriptPanel[] =
    "uir 1\n"
    "panel PANEL 1\n"
    "  control PANEL_NAME 2 string\n"
    "    attr ATTR_MAX_ENTRY_LENGTH 8\n"
    "  end\n"
    "  control PANEL_LIST 3 ring\n"
    "    attr ATTR_DATA_TYPE VAL_STRING\n"
    "    item one\n"
    "    item two words\n"
    "  end\n"
    "  control PANEL_NOTE 4 string\n"
    "  end\n"
    "  control PANEL_QUIT 5 command\n"
    "    label Quit\n"
    "    callback scriptQuit\n"
    "  end\n"
    "  control PANEL_DIALOG 6 command\n"
    "    label Dialog\n"
    "    top 40\n"
    "    callback scriptDialog\n"
    "  end\n"
    "end\n";

// Scratch files named for this test process (made before any death test forks), so test
// programs run side by side do not share them.
const std::string kPanelFile = "operator_input_test_" + std::to_string(getpid()) + ".uir";
const std::string kScriptFile = "operator_input_test_" + std::to_string(getpid()) + ".script";

// Plays script against kScriptPanel and ends the process with RunUserInterface's result. With
// a hint, the panel gets a shown child panel holding that text in an unnamed text message (as a
// tool tip is made), and a hidden one.
[[noreturn]] void PlayScript(const std::string &script, const char *hint = nullptr) {
    std::ofstream(kPanelFile) << kScriptPanel;
    std::ofstream(kScriptFile) << script;
    std::freopen("/dev/null", "w", stdout);  // show and dump print there
    setenv("RTE_DISPLAY", "headless", 1);
    setenv("RTE_SCRIPT", kScriptFile.c_str(), 1);
    RteSetSymbolTable(kScriptSymbols, 2);
    if (InitRTEEx(nullptr, nullptr, nullptr) != 1) std::exit(1);
    int panel = LoadPanel(0, kPanelFile.c_str(), 1);
    if (panel < 0) std::exit(2);
    DisplayPanel(panel);
    if (hint) {
        NewCtrl(NewPanel(panel, "", 10, 10, 20, 100), CTRL_TEXT_MSG, "hidden", 0, 0);
        int shown = NewPanel(panel, "", 40, 10, 20, 100);
        NewCtrl(shown, CTRL_TEXT_MSG, hint, 0, 0);
        DisplayPanel(shown);
    }
    std::exit(RunUserInterface());
}

// Removes the scratch files of PlayScript at the end of each test.
class OperatorScriptDeathTest : public ::testing::Test {
protected:
    void TearDown() override {
        std::remove(kPanelFile.c_str());
        std::remove(kScriptFile.c_str());
    }
};

TEST_F(OperatorScriptDeathTest, PlaysTypingCutToTheMaximumLengthChoosingAndChecking) {
    const struct {
        const char *script, *hint;
    } cases[] = {
        {"# typing stops at the maximum entry length\n"
         "type PANEL_NAME \"say \\\"hi\\\" \\\\ there\"\n"
         "expect PANEL_NAME say \"hi\"\n"
         "type PANEL_NOTE \"a\\tb\\nc\\\\\"\n"
         "expect PANEL_NOTE \"a\\tb\\nc\\\\\"\n"
         "type PANEL_NOTE \"\"\n"
         "expect PANEL_NOTE \"\"\n"
         "select PANEL_LIST two words\n"
         "expect PANEL_LIST two words\n"
         "focus PANEL_NOTE\n"
         "wait 0.01\n"
         "show PANEL_LIST\n"
         "dump\n"
         "press PANEL_QUIT\n",
         nullptr},
        // Shown child panels without names (tool tips) go by their top-level panel's name.
        {"expect PANEL.child Press Quit to end\nshow PANEL.child\ndump\npress PANEL_QUIT\n", "Press Quit to end"},
        {"expect PANEL.child \"\"\npress PANEL_QUIT\n", nullptr},
        // The pointer: a click is a press and a release over the button.
        {"move PANEL_NOTE\nmove PANEL_QUIT\nbutton left down\nwait 0.01\nbutton LEFT Up\n", nullptr},
        // The popup's controls have no constant names: the script names them by their labels, and
        // plays inside the dialog's own loop, acting at the count it awaited.
        {"press PANEL_DIALOG\n"
         "await \"Progress\" 40\n"
         "press \"OK\"\n"
         "expect PANEL_NOTE ok at 40\n"
         "press PANEL_DIALOG\n"
         "await Progress 7\n"
         "press Cancel\n"
         "expect PANEL_NOTE cancel at 7\n"
         "press PANEL_QUIT\n",
         nullptr},
    };
    for (const auto &c : cases) EXPECT_EXIT(PlayScript(c.script, c.hint), ::testing::ExitedWithCode(0), "") << c.script;
}

// A script that cannot be read or parsed stops the start-up (exit code 1); one that asks what
// the operator cannot do stops the program where it stands (exit code 3).
TEST_F(OperatorScriptDeathTest, StopsAtWhatTheOperatorCannotDo) {
    const struct {
        const char *script, *hint;
        int code;
        const char *message;
    } cases[] = {
        {"select PANEL_LIST three\n", nullptr, 3,
         "script:1: select PANEL_LIST: no item is labelled \"three\" \\(its items: \"one\", \"two words\"\\)"},
        {"type PANEL_NAME x\nselect PANEL_LIST one\n", nullptr, 3, "script:2: the script ended"},
        {"select PANEL_NAME one\n", nullptr, 3, "script:1: select PANEL_NAME: not a list control"},
        {"type PANEL_QUIT x\n", nullptr, 3, "script:1: type PANEL_QUIT: this kind of control does not take typed text"},
        {"\ntype PANEL_NAME ab\nexpect PANEL_NAME abc\n", nullptr, 3,
         "script:3: expect PANEL_NAME: wanted \"abc\", found \"ab\""},
        {"press PANEL_NOPE\n", nullptr, 3, "script:1: no control named PANEL_NOPE"},
        {"focus PANEL_NAME\n", nullptr, 3, "script:1: the script ended while the program was still running"},
        {"move PANEL_NOPE\n", nullptr, 3, "script:1: no control named PANEL_NOPE"},
        {"expect PANEL.child other\n", "tip", 3, "script:1: expect PANEL.child: wanted \"other\", found \"tip\""},
        {"expect NOPE.child tip\n", "tip", 3, "script:1: no control named NOPE.child"},
        // Behind the popup the panel takes no input; a label no control has is no name.
        {"press PANEL_DIALOG\npress PANEL_QUIT\n", nullptr, 3,
         "script:2: press PANEL_QUIT: the operator cannot do that now"},
        {"press PANEL_DIALOG\npress \"Nope\"\n", nullptr, 3, "script:2: no control named Nope"},
        {"jump PANEL_NAME\n", nullptr, 1, "script:1: unknown command jump"},
        {"move\n", nullptr, 1, "script:1: move needs a control name, or X and Y"},
        {"move 10 x\n", nullptr, 1, "script:1: move takes a control name, or two whole numbers X and Y"},
        {"move 1 2 3\n", nullptr, 1, "script:1: move takes a control name, or two whole numbers X and Y"},
        {"button middle down\n", nullptr, 1, "script:1: button needs left or right, then down or up"},
        {"button left\n", nullptr, 1, "script:1: button needs left or right, then down or up"},
        // Quoted names are checked when the script is read.
        {"press \"OK\n", nullptr, 1, "script:1: missing closing quote"},
        {"press \"OK\"x\n", nullptr, 1, "script:1: a blank must follow the closing quote of a name"},
    };
    for (const auto &c : cases) {
        EXPECT_EXIT(PlayScript(c.script, c.hint), ::testing::ExitedWithCode(c.code), c.message) << c.script;
    }
}

}  // namespace
