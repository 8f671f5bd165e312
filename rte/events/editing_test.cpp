// Tests of an entry's editing as the keyboard does it: a text longer than its field scrolls to
// keep the caret in sight, the selection keys, words, whole characters, and the clipboard.
#include "rte/events/editing.h"

#include <gtest/gtest.h>

#include <string>

#include "rte/events/clipboard.h"
#include "rte/model/labels.h"
#include "rte/model/layout.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

using namespace rte::testing;
namespace in = rte::internal;

class Editing : public ::testing::Test {
protected:
    void SetUp() override {
        panel = NewPanel(0, "Editing", 100, 100, 200, 300);
        text = NewCtrl(panel, CTRL_STRING, "Text", 20, 10);
        other = NewCtrl(panel, CTRL_STRING, "Other", 70, 10);
        DisplayPanel(panel);  // the first field has the focus
    }
    void TearDown() override {
        DiscardAllPanels();
        in::SetClipboardText("");
    }
    void Keys(int control, std::initializer_list<int> codes) {
        for (int code : codes) ASSERT_EQ(KeyPress(panel, control, code), 0);
    }
    // Where the field shows its caret, and the box its text is clipped to, in panel pixels.
    void CaretAndBox(int *caretX, int *boxLeft, int *boxRight) {
        std::lock_guard<std::recursive_mutex> hold(in::ModelLock());
        in::Panel *p = in::FindPanel(panel);
        in::Control *c = in::FindControl(p, text);
        in::EntryTextPlace t = in::PlaceEntryText(*c, c->text, &p->view);
        int caret = p->view.caret < 0 ? static_cast<int>(c->text.size()) : p->view.caret;
        *caretX = t.x + in::TextWidth(*c, c->text.substr(0, static_cast<size_t>(caret)));
        *boxLeft = t.boxLeft;
        *boxRight = t.boxLeft + t.boxWidth;
    }
    int panel = 0, text = 0, other = 0;
};

TEST_F(Editing, ALongTextScrollsSoThatTheCaretStaysInSight) {
    // Typed keys reach the field that has the focus since the panel was shown.
    for (char ch : std::string("the quick brown fox jumps over the lazy dog")) Keys(text, {ch});
    EXPECT_EQ(ValueText(panel, text), "the quick brown fox jumps over the lazy dog");
    const int keys[] = {0, VAL_HOME_VKEY, VAL_END_VKEY, VAL_LEFT_ARROW_VKEY | VAL_MENUKEY_MODIFIER,
                        VAL_HOME_VKEY | VAL_SHIFT_MODIFIER, VAL_RIGHT_ARROW_VKEY, VAL_END_VKEY};
    for (int key : keys) {
        if (key != 0) Keys(text, {key});
        int caret, left, right;
        CaretAndBox(&caret, &left, &right);
        EXPECT_GE(caret, left) << key;
        EXPECT_LE(caret, right) << key;
    }
    // A field without the focus shows its text from the start.
    ASSERT_EQ(Focus(panel, other), 0);
    std::lock_guard<std::recursive_mutex> hold(in::ModelLock());
    in::Panel *p = in::FindPanel(panel);
    in::Control *c = in::FindControl(p, text);
    EXPECT_EQ(in::PlaceEntryText(*c, c->text, nullptr).x, c->left + in::kEntryBorder + in::kEntryPadding);
}

TEST_F(Editing, SelectionWordsAndTheClipboard) {
    SetCtrlVal(panel, text, "alpha beta gamma");
    const int shift = VAL_SHIFT_MODIFIER, ctrl = VAL_MENUKEY_MODIFIER;
    const struct {
        std::initializer_list<int> keys;
        const char *value, *clipboard;
    } steps[] = {
        // The whole text is selected when the field starts being edited; Left ends the selection
        // at its start, Ctrl+Right goes a word on, Shift+End selects to the end.
        {{VAL_LEFT_ARROW_VKEY, VAL_RIGHT_ARROW_VKEY | ctrl, VAL_END_VKEY | shift, 'c' | ctrl}, "alpha beta gamma", "beta gamma"},
        {{VAL_LEFT_ARROW_VKEY | ctrl, VAL_END_VKEY | shift, 'x' | ctrl}, "alpha beta ", "gamma"},
        {{VAL_HOME_VKEY, 'v' | ctrl}, "gammaalpha beta ", "gamma"},
        {{VAL_RIGHT_ARROW_VKEY | shift, VAL_RIGHT_ARROW_VKEY | shift, VAL_FWD_DELETE_VKEY | shift}, "gammapha beta ", "al"},
        {{VAL_END_VKEY, VAL_INSERT_VKEY | shift}, "gammapha beta al", "al"},
        // Without a selection a copy leaves the clipboard as it was.
        {{'c' | ctrl}, "gammapha beta al", "al"},
    };
    for (const auto &step : steps) {
        for (int key : step.keys) ASSERT_EQ(KeyPress(panel, text, key), 0);
        EXPECT_EQ(ValueText(panel, text), step.value);
        EXPECT_EQ(in::ClipboardText(), step.clipboard);
    }
    // Pasted lines become one line of the field; the field's maximum length holds for a paste.
    in::SetClipboardText("one\ttwo\nthree\n");
    SetCtrlAttribute(panel, other, ATTR_MAX_ENTRY_LENGTH, 10);
    ASSERT_EQ(Focus(panel, other), 0);
    Keys(other, {'v' | ctrl});
    EXPECT_EQ(ValueText(panel, other), "one two th");
    // An indicator's text can be copied, not cut.
    SetCtrlVal(panel, text, "fixed");
    ASSERT_EQ(Focus(panel, text), 0);
    SetCtrlAttribute(panel, text, ATTR_CTRL_MODE, VAL_INDICATOR);
    in::EditKey(panel, text, 'x', false, true);
    EXPECT_EQ(ValueText(panel, text), "fixed");
    EXPECT_EQ(in::ClipboardText(), "fixed");
}

TEST_F(Editing, TheCaretStepsOverWholeCharacters) {
    SetCtrlVal(panel, text, "a\xC3\xA9z");  // "aéz": é is two bytes of UTF-8
    Keys(text, {VAL_END_VKEY, VAL_LEFT_ARROW_VKEY, VAL_BACKSPACE_VKEY});
    EXPECT_EQ(ValueText(panel, text), "az");
    SetCtrlVal(panel, text, "\xC3\xA9t\xC3\xA9");
    Keys(text, {VAL_HOME_VKEY, VAL_FWD_DELETE_VKEY, VAL_END_VKEY, VAL_LEFT_ARROW_VKEY | VAL_SHIFT_MODIFIER, 'e'});
    EXPECT_EQ(ValueText(panel, text), "te");
}

}  // namespace
