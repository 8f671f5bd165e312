// rte/events/operator_script.cpp - plays an operator script (RTE_SCRIPT) against the program's panels
// on the headless display.
//
// The language (every command, its arguments, the quoting rule of rte/core/line_text.h, what
// is printed, exit statuses, examples) is described once, in the manual page beside this file,
// rte/events/rte-script.7 (man 7 rte-script); a command added here is added there too, under
// COMMANDS, and operator_script_doc_test checks that the two agree.
// Every command acts through the engine's one path of operator input
// (rte/events/operator_input.h), the same that the screen display feeds, so keys played here do
// what the same keys do on the screen.
// Each command runs from the main thread's event loop when nothing else is pending, or from the
// event processing a program does itself inside a callback (ProcessSystemEvents, GetUserEvent:
// its own dialog loop), one command each time, as an operator's input would arrive there. The
// events a command causes are processed before the next one. A command the operator could not do (a
// dimmed control, a label not in the list, an unknown name) stops the program with exit code 3
// and a message naming the script line, as does a script that ends while the event loop still
// runs. Values print with newlines and carriage returns written as \n and \r so that each
// control stays on one line. Running out of memory while reading the script fails start-up (a
// script is never played cut short); while playing it, it stops the program as a failed command
// does.
#include "rte/events/operator_script.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "rte/core/line_text.h"
#include "rte/engine.h"
#include "rte/events/event_loop.h"
#include "rte/events/notification_area.h"
#include "rte/events/operator_input.h"
#include "rte/events/popup_menu.h"
#include "rte/system_windows.h"
#include "rte/events/pointer.h"
#include "rte/model/ui_model.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

std::string g_fileName;                 // touched by the main thread only
std::vector<ScriptLine> g_lines;
size_t g_next = 0;
double g_waitUntil = -1;
const ScriptLine *g_awaiting = nullptr; // an await line not yet satisfied
double g_awaitDeadline = 0;
constexpr double kAwaitSeconds = 60;
constexpr double kAwaitPoll = 0.05;     // how often an await looks again while nothing happens
int g_pointerPanel = 0;                 // the top-level panel the pointer was last moved on

[[noreturn]] void Stop(const ScriptLine &line, const char *message) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s:%d: %s\n", g_fileName.c_str(), line.lineNumber, message);
    std::fflush(stderr);
    std::exit(3);
}
[[noreturn]] void Stop(const ScriptLine &line, const std::string &message) { Stop(line, message.c_str()); }

std::string OneLine(const std::string &value) {
    std::string out;
    for (char ch : value) {
        if (ch == '\n') out += "\\n";
        else if (ch == '\r') out += "\\r";
        else out += ch;
    }
    return out;
}

void Show(int panel, int control, const std::string &name) {
    std::printf("%s=%s\n", name.c_str(), OneLine(CtrlValueText(panel, control)).c_str());
    if (IsListCtrl(panel, control)) {
        std::string joined;
        for (const std::string &label : CtrlItemLabels(panel, control)) {
            if (!joined.empty()) joined += '|';
            joined += OneLine(label);
        }
        std::printf("%s.items=%s\n", name.c_str(), joined.c_str());
    }
    std::fflush(stdout);
}

// The name a top-level panel goes by in a script: its constant name, else its title.
std::string PanelName(const Panel &p) { return p.constName.empty() ? p.title : p.constName; }

// A shown child panel whose controls have no names (a tool tip, for one): the texts of its text
// messages joined by '|', or false when the panel is not such a panel. Call with the model
// locked.
bool UnnamedChildText(Panel &p, std::string *texts) {
    if (p.parent == 0 || !PanelShown(p.handle)) return false;
    bool any = false;
    for (auto &c : p.ctrls) {
        if (!c->constName.empty()) return false;
        if (c->style != CTRL_TEXT_MSG) continue;
        if (any) *texts += '|';
        *texts += c->text;
        any = true;
    }
    return any;
}

Panel *TopLevelOf(Panel *p) {
    while (p != nullptr && p->parent != 0) p = FindPanel(p->parent);
    return p;
}

// For OWNER.child (OWNER: a top-level panel's name): the texts of its frontmost shown unnamed
// child panel, "" when none is shown. False when the name is not of that form.
bool ChildText(const std::string &name, std::string *texts) {
    const std::string suffix = ".child";
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
    std::string owner = name.substr(0, name.size() - suffix.size());
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    bool known = false;
    for (Panel *top : ChildPanels(0)) {
        if (PanelName(*top) != owner) continue;
        known = true;
        // Front first, down through the children's children.
        std::vector<Panel *> stack = ChildPanels(top->handle);
        for (size_t i = 0; i < stack.size(); ++i) {
            std::string found;
            if (UnnamedChildText(*stack[i], &found)) {
                *texts = found;
                return true;
            }
            std::vector<Panel *> deeper = ChildPanels(stack[i]->handle);
            stack.insert(stack.end(), deeper.begin(), deeper.end());
        }
    }
    texts->clear();
    return known;
}

void Dump() {
    for (int panel : PanelHandles()) {
        for (int control : PanelCtrlIDs(panel)) {
            std::string name;
            {
                std::lock_guard<std::recursive_mutex> hold(ModelLock());
                Control *c = FindControl(FindPanel(panel), control);
                if (c == nullptr || c->style == CTRL_TIMER) continue;
                name = c->constName;
            }
            if (!name.empty()) Show(panel, control, name);
        }
    }
    // Then each shown child panel without names, as OWNER.child=TEXTS.
    for (int panel : PanelHandles()) {
        std::string owner, texts;
        {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Panel *p = FindPanel(panel);
            if (p == nullptr || !UnnamedChildText(*p, &texts)) continue;
            owner = PanelName(*TopLevelOf(p));
        }
        std::printf("%s.child=%s\n", owner.c_str(), OneLine(texts).c_str());
    }
    std::fflush(stdout);
}

// A constant name, else a label (see the top of this file).
bool FindControlNamed(const std::string &name, int *panel, int *control) {
    return FindCtrlByNameAnywhere(name, panel, control) || FindCtrlByLabel(name, panel, control);
}

// Whether the awaited control, or child panel (OWNER.child, as expect reads it), shows its text
// now.
bool AwaitMet(const ScriptLine &line) {
    int panel = 0, control = 0;
    if (FindControlNamed(line.name, &panel, &control)) return CtrlValueText(panel, control) == line.text;
    std::string childText;
    return ChildText(line.name, &childText) && childText == line.text;
}

const char *Why(int code) {
    switch (code) {
    case UIE_BAD_VALUE: return "the operator cannot do that now (hidden, dimmed or indicator control, or bad number)";
    case UIE_WRONG_ATTRIBUTE: return "this kind of control does not take typed text";
    case UIE_NOT_LIST_CONTROL: return "not a list control";
    default: return GetUILErrorString(code);
    }
}

// A panel by its constant name (shown panels first, lowest handle first), 0 when none.
int FindPanelByName(const std::string &name) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    for (int pass = 0; pass < 2; ++pass) {
        for (int handle : PanelHandles()) {
            Panel *p = FindPanel(handle);
            if (p != nullptr && (pass == 0) == PanelShown(handle) && p->constName == name) return handle;
        }
    }
    return 0;
}

// A shown top-level panel by its constant name, else by its title (a dialog made in code has no
// constant name), 0 when none.
int FindWindowPanel(const std::string &name) {
    int named = FindPanelByName(name);
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    if (Panel *p = FindPanel(named); p != nullptr && p->parent == 0 && PanelShown(named)) return named;
    for (int handle : PanelHandles()) {
        Panel *p = FindPanel(handle);
        if (p != nullptr && p->parent == 0 && PanelShown(handle) && p->title == name) return handle;
    }
    return 0;
}

void RunDrop(const ScriptLine &line) {
    int panel = FindPanelByName(line.name), control = 0, x = kPanelCentre, y = kPanelCentre;
    if (panel == 0) {
        if (!FindCtrlByNameAnywhere(line.name, &panel, &control)) Stop(line, "no panel or control named " + line.name);
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        x = c->left + c->width / 2;
        y = c->top + c->height / 2;
    }
    int rc = DropFilesOnPanel(panel, line.paths, x, y);
    if (rc < 0) Stop(line, "drop " + line.name + ": " + Why(rc));
}

// The top-level panel the pointer is on (the active panel until a move names one); 0 when none
// is shown.
int PointerPanel() {
    if (g_pointerPanel != 0 && PanelShown(g_pointerPanel)) return g_pointerPanel;
    return g_pointerPanel = ActivePanelHandle();
}

void MovePointer(const ScriptLine &line) {
    int panel = 0, x = line.x, y = line.y;
    if (line.atPoint) {
        panel = PointerPanel();
        if (panel == 0) Stop(line, "no panel is shown for the pointer to move on");
    } else {
        int control = 0;
        if (!FindControlNamed(line.name, &panel, &control)) Stop(line, "no control named " + line.name);
        {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Control *c = FindControl(FindPanel(panel), control);
            if (c == nullptr || !c->visible || !PanelShown(panel)) Stop(line, "move " + line.name + ": the control is not shown");
            x = c->left + c->width / 2;
            y = c->top + c->height / 2;
            // Into the coordinates of its top-level panel, whose window reports the pointer.
            for (Panel *p = FindPanel(panel); p->parent != 0; p = FindPanel(p->parent)) {
                x += p->left;
                y += p->top;
                panel = p->parent;
            }
        }
        g_pointerPanel = panel;
    }
    bool left = false, right = false;
    PointerOnPanel(panel, nullptr, nullptr, &left, &right);
    PointerMoved(panel, x, y, left, right);
}

void PressPointerButton(const ScriptLine &line) {
    int panel = PointerPanel(), x = 0, y = 0;
    if (panel == 0 || !PointerOnPanel(panel, &x, &y, nullptr, nullptr)) Stop(line, "no panel is shown under the pointer");
    if (line.down) ButtonDown(panel, x, y, line.right, 1);
    else ButtonUp(panel, x, y, line.right);
}

// A select whose label no item has stops naming the label and the labels the list has.
void StopOnUnknownLabel(const ScriptLine &line, int panel, int control) {
    if (!IsListCtrl(panel, control)) return;
    std::vector<std::string> labels = CtrlItemLabels(panel, control);
    std::string items;
    for (const std::string &label : labels) {
        if (label == line.text) return;  // it is there: the failure was something else
        items += (items.empty() ? "\"" : ", \"") + OneLine(label) + "\"";
    }
    Stop(line, "select " + line.name + ": no item is labelled \"" + OneLine(line.text) + "\" (" +
                   (items.empty() ? std::string("the list is empty") : "its items: " + items) + ")");
}

void RunLine(const ScriptLine &line) {
    if (line.command == "dump") return Dump();
    if (line.command == "drop") return RunDrop(line);
    if (line.command == "close") {
        int panel = FindWindowPanel(line.name);
        if (panel == 0) Stop(line, "no shown panel named or titled " + line.name);
        int rc = ClosePanelByOperator(panel);
        if (rc < 0) Stop(line, "close " + line.name + ": " + Why(rc));
        return;
    }
    if (line.command == "tray") {
        if (!ClickTrayIcon(line.name, line.keyCode)) Stop(line, "no icon " + line.name + " in the notification area");
        IdleHookHold hold;  // the events of this click, not the next line (a menu it opens waits for one)
        ProcessSystemEvents();
        return;
    }
    if (line.command == "menu") {
        bool done = line.text.empty() ? MenuDismiss() : MenuChooseLabel(line.text);
        if (!done) {
            Stop(line, MenuIsOpen() ? "the open menu has no item \"" + line.text + "\" that can be chosen"
                                    : std::string("no popup menu is open"));
        }
        return;
    }
    if (line.command == "move" || line.command == "button") {
        if (line.command == "move") MovePointer(line);
        else PressPointerButton(line);
        IdleHookHold hold;  // the events of this input, not the next line
        ProcessSystemEvents();
        return;
    }
    if (line.command == "wait") {
        g_waitUntil = Timer() + line.seconds;
        return;
    }
    if (line.command == "key" || line.command == "keys") {
        // Keys go where the keyboard sends them: the active panel's focused control.
        int panel = ActivePanelHandle();
        if (panel == 0) Stop(line, "no panel is shown to take the keys");
        int control = ActiveControl(panel);
        if (line.command == "key") Keystroke(panel, control, line.keyCode);
        else TypeText(panel, control, line.text);
        IdleHookHold hold;  // the events of these keys, not the next line
        ProcessSystemEvents();
        return;
    }
    int panel = 0, control = 0;
    std::string childText;
    if ((line.command == "show" || line.command == "expect") && !FindCtrlByNameAnywhere(line.name, &panel, &control) &&
        ChildText(line.name, &childText)) {
        if (line.command == "show") {
            std::printf("%s=%s\n", line.name.c_str(), OneLine(childText).c_str());
            std::fflush(stdout);
        } else if (childText != line.text) {
            Stop(line, "expect " + line.name + ": wanted \"" + OneLine(line.text) + "\", found \"" + OneLine(childText) + "\"");
        }
        return;
    }
    if (!FindControlNamed(line.name, &panel, &control)) Stop(line, "no control named " + line.name);
    int rc = 0;
    if (line.command == "press") rc = PressCtrl(panel, control);
    else if (line.command == "type") rc = TypeIntoCtrl(panel, control, line.text);
    else if (line.command == "select") {
        rc = SelectInCtrl(panel, control, line.text);
        if (rc == UIE_BAD_VALUE) StopOnUnknownLabel(line, panel, control);
    }
    else if (line.command == "focus") rc = FocusCtrl(panel, control);
    else if (line.command == "show") Show(panel, control, line.name);
    else if (line.command == "expect") {
        std::string value = CtrlValueText(panel, control);
        if (value != line.text) {
            Stop(line, "expect " + line.name + ": wanted \"" + OneLine(line.text) + "\", found \"" + OneLine(value) + "\"");
        }
    }
    if (rc < 0) Stop(line, line.command + " " + line.name + ": " + Why(rc));
}

// Runs the next script line when the loop is idle (see IdleHook). An await whose text is shown
// lets the line after it run in the same step, so it acts on what the await saw.
int ScriptStep(double *resumeAt) {
    for (;;) {
        if (g_waitUntil >= 0) {
            if (Timer() < g_waitUntil) {
                *resumeAt = g_waitUntil;
                return 0;
            }
            g_waitUntil = -1;
        }
        if (g_awaiting != nullptr) {
            const ScriptLine &line = *g_awaiting;
            bool met;
            try {
                met = AwaitMet(line);
            } catch (const std::bad_alloc &) {
                Stop(line, "out of memory");
            }
            if (!met) {
                double now = Timer();
                if (now >= g_awaitDeadline) {
                    Stop(line, "await " + line.name + ": \"" + OneLine(line.text) + "\" was not shown within " +
                                   std::to_string(static_cast<int>(kAwaitSeconds)) + " seconds");
                }
                *resumeAt = std::min(now + kAwaitPoll, g_awaitDeadline);
                return 0;
            }
            g_awaiting = nullptr;
        }
        if (g_next >= g_lines.size()) {
            ScriptLine end;
            end.lineNumber = g_lines.empty() ? 0 : g_lines.back().lineNumber;
            Stop(end, "the script ended while the program was still running");
        }
        const ScriptLine &line = g_lines[g_next++];
        if (line.command == "await") {
            g_awaiting = &line;
            g_awaitDeadline = Timer() + kAwaitSeconds;
            continue;
        }
        try {
            RunLine(line);
        } catch (const std::bad_alloc &) {
            Stop(line, "out of memory");
        }
        return 1;
    }
}

std::string Lower(std::string text) {
    for (char &ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

// A whole number of pixels: an optional sign and digits, within +-1000000.
bool WholeNumber(const std::string &word, int *value) {
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || errno != 0 || v < -1000000 || v > 1000000) return false;
    *value = static_cast<int>(v);
    return true;
}

}  // namespace

bool NextPath(const std::string &line, size_t *pos, std::string *word, std::string *error) {
    size_t at = *pos;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at >= line.size() || line[at] != '"') return NextWord(line, pos, word);
    std::string out;
    for (size_t i = at + 1; i < line.size(); ++i) {
        char ch = line[i];
        if (ch == '"') {
            *word = out;
            *pos = i + 1;
            return true;
        }
        if (ch == '\\' && i + 1 < line.size()) {
            char next = line[++i];
            out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
            out += ch;
        }
    }
    *error = "a quoted name has no closing quote";
    return false;
}

int KeyCodeOf(const std::string &name) {
    static const struct {
        const char *name;
        int code;
    } kKeys[] = {
        {"tab", VAL_TAB_VKEY},         {"enter", VAL_ENTER_VKEY},       {"escape", VAL_ESC_VKEY},
        {"esc", VAL_ESC_VKEY},         {"backspace", VAL_BACKSPACE_VKEY}, {"delete", VAL_FWD_DELETE_VKEY},
        {"insert", VAL_INSERT_VKEY},   {"up", VAL_UP_ARROW_VKEY},       {"down", VAL_DOWN_ARROW_VKEY},
        {"left", VAL_LEFT_ARROW_VKEY}, {"right", VAL_RIGHT_ARROW_VKEY}, {"home", VAL_HOME_VKEY},
        {"end", VAL_END_VKEY},         {"pageup", VAL_PAGE_UP_VKEY},    {"pagedown", VAL_PAGE_DOWN_VKEY},
        {"space", ' '},
    };
    auto lower = [](std::string text) {
        for (char &ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return text;
    };
    int modifiers = 0;
    std::string rest = name;
    for (;;) {
        size_t plus = rest.find('+');
        if (plus == std::string::npos || plus == 0 || plus + 1 == rest.size()) break;
        std::string prefix = lower(rest.substr(0, plus));
        if (prefix == "shift") modifiers |= VAL_SHIFT_MODIFIER;
        else if (prefix == "ctrl") modifiers |= VAL_MENUKEY_MODIFIER;
        else if (prefix == "alt") modifiers |= VAL_ALT_MODIFIER;
        else return 0;
        rest.erase(0, plus + 1);
    }
    if (rest.size() == 1) {
        unsigned char ch = static_cast<unsigned char>(rest[0]);
        return ch > 0x20 && ch < 0x7F ? (ch | modifiers) : 0;
    }
    std::string key = lower(rest);
    for (const auto &k : kKeys) {
        if (key == k.name) return k.code | modifiers;
    }
    if (key.size() >= 2 && key.size() <= 3 && key[0] == 'f') {
        int n = std::atoi(key.c_str() + 1);
        if (n >= 1 && n <= 12 && std::to_string(n) == key.substr(1)) return (VAL_F1_VKEY + (n - 1) * 0x100) | modifiers;
    }
    return 0;
}

bool ParseOperatorScript(const std::string &content, const std::string &fileName, std::vector<ScriptLine> *lines,
                         std::string *error) {
    std::string raw;
    int number = 0;
    for (size_t start = 0; start < content.size();) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        raw.assign(content, start, end - start);
        start = end + 1;
        ++number;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        size_t pos = 0;
        ScriptLine line;
        line.lineNumber = number;
        if (!NextWord(raw, &pos, &line.command) || line.command[0] == '#') continue;
        auto bad = [&](const std::string &what) {
            *error = fileName + ":" + std::to_string(number) + ": " + what;
            return false;
        };
        const std::string &cmd = line.command;
        if (cmd == "dump") {
            if (!AtEnd(raw, pos)) return bad("dump takes no argument");
        } else if (cmd == "wait") {
            std::string word;
            if (!NextWord(raw, &pos, &word) || !AtEnd(raw, pos)) return bad("wait needs one number of seconds");
            char *end = nullptr;
            errno = 0;
            line.seconds = std::strtod(word.c_str(), &end);
            if (*end != '\0' || errno != 0 || !std::isfinite(line.seconds) || line.seconds < 0) {
                return bad("wait needs a number of seconds, not " + word);
            }
        } else if (cmd == "press" || cmd == "focus" || cmd == "show" || cmd == "close") {
            std::string why;
            if (!NextName(raw, &pos, &line.name, &why)) return bad(why.empty() ? cmd + " needs a control name" : why);
            if (!AtEnd(raw, pos)) return bad(cmd + " takes only a control name");
        } else if (cmd == "type" || cmd == "select" || cmd == "expect" || cmd == "await") {
            std::string why;
            if (!NextName(raw, &pos, &line.name, &why)) return bad(why.empty() ? cmd + " needs a control name" : why);
            if (!ParseText(raw, pos, &line.text, &why)) return bad(why);
        } else if (cmd == "key") {
            std::string word;
            if (!NextWord(raw, &pos, &word) || !AtEnd(raw, pos)) return bad("key needs one key, such as Tab or Shift+Tab");
            line.keyCode = KeyCodeOf(word);
            if (line.keyCode == 0) return bad("key: " + word + " is not a key this engine knows");
        } else if (cmd == "tray") {
            std::string click, why;
            if (!NextPath(raw, &pos, &line.name, &why) || !NextWord(raw, &pos, &click) || !AtEnd(raw, pos)) {
                return bad(why.empty() ? "tray needs an icon and left, right or double" : why);
            }
            if (click == "left") line.keyCode = RTE_TRAY_LEFT;
            else if (click == "right") line.keyCode = RTE_TRAY_RIGHT;
            else if (click == "double") line.keyCode = RTE_TRAY_DOUBLE;
            else return bad("tray: " + click + " is no click (left, right or double)");
        } else if (cmd == "menu") {
            std::string why;
            if (!ParseText(raw, pos, &line.text, &why)) return bad(why);
        } else if (cmd == "drop") {
            if (!NextWord(raw, &pos, &line.name)) return bad("drop needs a panel or control name and files");
            std::string path, why;
            while (NextPath(raw, &pos, &path, &why)) line.paths.push_back(path);
            if (!why.empty()) return bad(why);
            if (line.paths.empty()) return bad("drop needs at least one file");
        } else if (cmd == "keys") {
            std::string why;
            if (!ParseText(raw, pos, &line.text, &why)) return bad(why);
        } else if (cmd == "move") {
            std::string first, second;
            if (!NextWord(raw, &pos, &first)) return bad("move needs a control name, or X and Y");
            if (NextWord(raw, &pos, &second)) {
                if (!AtEnd(raw, pos) || !WholeNumber(first, &line.x) || !WholeNumber(second, &line.y)) {
                    return bad("move takes a control name, or two whole numbers X and Y");
                }
                line.atPoint = true;
            } else {
                line.name = first;
            }
        } else if (cmd == "button") {
            std::string which, how;
            if (!NextWord(raw, &pos, &which) || !NextWord(raw, &pos, &how) || !AtEnd(raw, pos) ||
                (Lower(which) != "left" && Lower(which) != "right") || (Lower(how) != "down" && Lower(how) != "up")) {
                return bad("button needs left or right, then down or up");
            }
            line.right = Lower(which) == "right";
            line.down = Lower(how) == "down";
        } else {
            return bad("unknown command " + cmd +
                       " (press, type, select, focus, key, keys, move, button, wait, await, show, dump, expect, tray, menu, drop, close)");
        }
        lines->push_back(std::move(line));
    }
    return true;
}

bool ReadOperatorScript(const char *path, std::vector<ScriptLine> *lines, std::string *error) {
    std::FILE *file = std::fopen(path, "rb");
    if (file == nullptr) {
        *error = std::string("cannot read the operator script ") + path;
        return false;
    }
    std::string content;
    try {
        char block[4096];
        size_t got;
        while ((got = std::fread(block, 1, sizeof block, file)) > 0) content.append(block, got);
    } catch (...) {
        std::fclose(file);
        throw;
    }
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        *error = std::string("cannot read the operator script ") + path;
        return false;
    }
    return ParseOperatorScript(content, path, lines, error);
}

bool StartOperatorScript(const char *path, std::string *error) {
    std::vector<ScriptLine> lines;
    if (!ReadOperatorScript(path, &lines, error)) return false;
    g_fileName = path;
    g_lines = std::move(lines);
    g_next = 0;
    SetIdleHook(ScriptStep);
    return true;
}

}  // namespace rte::internal
