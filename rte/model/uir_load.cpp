// rte/model/uir_load.cpp - LoadPanel: panels from panel resource files (.uir), our own text format.
//
// Format. One statement a line; blank lines and lines starting with '#' are ignored; words are
// separated by blanks; TEXT is the rest of the line verbatim or a double-quoted string with the
// escapes \" \\ \t \n (rte/core/line_text.h). The first statement is "uir 1" (the format version).
//
//   uir 1
//   panel CONSTANT_NAME RESOURCE_ID          a panel; its statements follow until "end"
//     title TEXT
//     top N | left N | height N | width N    position and size in pixels
//     callback NAME                          panel callback, bound through the symbol table
//     attr ATTRIBUTE VALUE                   any settable attribute of rte/ui.h
//     control CONSTANT_NAME ID KIND          a control; its statements follow until "end"
//       label TEXT
//       top N | left N | height N | width N
//       callback NAME                        control callback
//       attr ATTRIBUTE VALUE
//       item TEXT                            list controls: an item with this label; its value
//                                            is the label (VAL_STRING lists) or the item's
//                                            position from 0 (numeric lists)
//     end
//   end
//
// ATTRIBUTE is an ATTR_ name or a number; VALUE is a number (decimal, 0x hex, negative), a VAL_
// name, the constant name of a control of the panel (its ID), or for text attributes a TEXT. KIND is a CTRL_ number or one of the names in kKinds
// (string, numeric, textmsg, command, listbox, ring, timer, ...). Panel and control IDs are
// positive; constant names and IDs are unique within a panel; panel IDs unique in the file.
// Statements of a control apply in file order after the control is made (so set ATTR_DATA_TYPE
// before ATTR_MIN_VALUE and items); the panel's own statements apply after all its controls are
// made, so `attr ATTR_CLOSE_CTRL PANEL_QUIT` works. The panel with the requested ID is made; the whole file must
// be well-formed. Every failure leaves nothing behind and returns a negative code, with the
// detail ("file:line: what") in RteGetLoadPanelError().
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <new>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "rte/engine.h"
#include "rte/core/line_text.h"
#include "rte/ui.h"
#include "rte/model/ui_model.h"

namespace rte::internal {
namespace {

constexpr long kMaxFileSize = 16L * 1024 * 1024;

thread_local std::string t_loadError;

const std::map<std::string, int> kKinds = {
    {"numeric", CTRL_NUMERIC}, {"vslide", CTRL_VERTICAL_SLIDE}, {"hslide", CTRL_HORIZONTAL_SLIDE},
    {"color", CTRL_COLOR_NUMERIC}, {"raised_frame", CTRL_RAISED_FRAME}, {"textmsg", CTRL_TEXT_MSG},
    {"flat_frame", CTRL_FLAT_FRAME}, {"raised_box", CTRL_RAISED_BOX}, {"command", CTRL_COMMAND_BUTTON},
    {"picture_command", CTRL_PICTURE_COMMAND_BUTTON}, {"toggle", CTRL_TOGGLE_BUTTON},
    {"picture_toggle", CTRL_PICTURE_TOGGLE_BUTTON}, {"ring", CTRL_RING}, {"menu_ring", CTRL_MENU_RING},
    {"picture_ring", CTRL_PICTURE_RING}, {"listbox", CTRL_LIST_BOX}, {"recessed_frame", CTRL_RECESSED_FRAME},
    {"string", CTRL_STRING}, {"picture", CTRL_PICTURE}, {"timer", CTRL_TIMER},
};

const std::map<std::string, int> kAttrNames = {
    {"ATTR_DIMMED", ATTR_DIMMED}, {"ATTR_CTRL_MODE", ATTR_CTRL_MODE}, {"ATTR_VISIBLE", ATTR_VISIBLE},
    {"ATTR_LEFT", ATTR_LEFT}, {"ATTR_TOP", ATTR_TOP}, {"ATTR_WIDTH", ATTR_WIDTH}, {"ATTR_HEIGHT", ATTR_HEIGHT},
    {"ATTR_FRAME_COLOR", ATTR_FRAME_COLOR}, {"ATTR_TITLE", ATTR_TITLE}, {"ATTR_BACKCOLOR", ATTR_BACKCOLOR},
    {"ATTR_TITLEBAR_VISIBLE", ATTR_TITLEBAR_VISIBLE}, {"ATTR_EXTRA_COLOR", ATTR_EXTRA_COLOR},
    {"ATTR_FRAME_THICKNESS", ATTR_FRAME_THICKNESS}, {"ATTR_MOVABLE", ATTR_MOVABLE},
    {"ATTR_CLOSE_CTRL", ATTR_CLOSE_CTRL}, {"ATTR_SIZABLE", ATTR_SIZABLE},
    {"ATTR_CLOSE_ITEM_VISIBLE", ATTR_CLOSE_ITEM_VISIBLE}, {"ATTR_ZPLANE_POSITION", ATTR_ZPLANE_POSITION},
    {"ATTR_CTRL_TAB_POSITION", ATTR_CTRL_TAB_POSITION}, {"ATTR_FLOATING", ATTR_FLOATING},
    {"ATTR_HAS_TASKBAR_BUTTON_OFF", ATTR_HAS_TASKBAR_BUTTON_OFF}, {"ATTR_LABEL_TEXT", ATTR_LABEL_TEXT},
    {"ATTR_LABEL_LEFT", ATTR_LABEL_LEFT}, {"ATTR_LABEL_TOP", ATTR_LABEL_TOP}, {"ATTR_TEXT_COLOR", ATTR_TEXT_COLOR},
    {"ATTR_TEXT_FONT", ATTR_TEXT_FONT}, {"ATTR_TEXT_ITALIC", ATTR_TEXT_ITALIC},
    {"ATTR_TEXT_UNDERLINE", ATTR_TEXT_UNDERLINE}, {"ATTR_TEXT_STRIKEOUT", ATTR_TEXT_STRIKEOUT},
    {"ATTR_TEXT_POINT_SIZE", ATTR_TEXT_POINT_SIZE}, {"ATTR_TEXT_BOLD", ATTR_TEXT_BOLD},
    {"ATTR_TEXT_BGCOLOR", ATTR_TEXT_BGCOLOR}, {"ATTR_DATA_TYPE", ATTR_DATA_TYPE}, {"ATTR_MAX_VALUE", ATTR_MAX_VALUE},
    {"ATTR_MIN_VALUE", ATTR_MIN_VALUE}, {"ATTR_SHOW_DIGITAL_DISPLAY", ATTR_SHOW_DIGITAL_DISPLAY},
    {"ATTR_MAX_ENTRY_LENGTH", ATTR_MAX_ENTRY_LENGTH}, {"ATTR_VISIBLE_LINES", ATTR_VISIBLE_LINES},
    {"ATTR_SHOW_INCDEC_ARROWS", ATTR_SHOW_INCDEC_ARROWS}, {"ATTR_FILL_COLOR", ATTR_FILL_COLOR},
    {"ATTR_MARKER_STYLE", ATTR_MARKER_STYLE}, {"ATTR_TICK_STYLE", ATTR_TICK_STYLE},
    {"ATTR_SHOW_MORE_COLORS", ATTR_SHOW_MORE_COLORS}, {"ATTR_SHORTCUT_KEY", ATTR_SHORTCUT_KEY},
    {"ATTR_INTERVAL", ATTR_INTERVAL}, {"ATTR_ENABLED", ATTR_ENABLED},
};

const std::map<std::string, int> kValueNames = {
    {"VAL_CHAR", VAL_CHAR}, {"VAL_INTEGER", VAL_INTEGER}, {"VAL_SHORT", VAL_SHORT}, {"VAL_FLOAT", VAL_FLOAT},
    {"VAL_DOUBLE", VAL_DOUBLE}, {"VAL_STRING", VAL_STRING}, {"VAL_UNSIGNED_SHORT", VAL_UNSIGNED_SHORT},
    {"VAL_UNSIGNED_INTEGER", VAL_UNSIGNED_INTEGER}, {"VAL_UNSIGNED_CHAR", VAL_UNSIGNED_CHAR},
    {"VAL_TRANSPARENT", VAL_TRANSPARENT}, {"VAL_AUTO_CENTER", VAL_AUTO_CENTER}, {"VAL_BLACK", VAL_BLACK},
    {"VAL_WHITE", VAL_WHITE}, {"VAL_LT_GRAY", VAL_LT_GRAY}, {"VAL_PANEL_GRAY", VAL_PANEL_GRAY},
    {"VAL_NORMAL", VAL_NORMAL}, {"VAL_INDICATOR", VAL_INDICATOR}, {"VAL_HOT", VAL_HOT},
    {"VAL_ENTER_VKEY", VAL_ENTER_VKEY}, {"VAL_ESC_VKEY", VAL_ESC_VKEY},
};

// One "attr", "top", "item", ... statement kept for the second stage.
struct Statement {
    int line = 0;
    std::string key;
    std::string arg;    // first word (attribute name, number)
    std::string text;   // TEXT argument or the value word
};

struct CtrlDesc {
    int line = 0;
    std::string constName;
    int id = 0, style = 0;
    std::string label, callback;
    std::vector<Statement> statements;
};

struct PanelDesc {
    int line = 0;
    std::string constName;
    int id = 0;
    std::string title, callback;
    std::vector<Statement> statements;
    std::vector<CtrlDesc> ctrls;
};

struct LoadError {
    int code;
    int line;
    std::string what;
};

bool ParseInt(const std::string &word, long *out) {
    if (word.empty()) return false;
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(word.c_str(), &end, 0);
    if (*end != '\0' || errno != 0 || v < INT_MIN || v > UINT_MAX) return false;
    *out = v;
    return true;
}

// Parses the file into panel descriptions. Throws LoadError.
std::vector<PanelDesc> Parse(const std::string &content) {
    std::vector<PanelDesc> panels;
    std::istringstream in(content);
    std::string raw;
    int number = 0;
    bool sawHeader = false;
    PanelDesc *panel = nullptr;
    CtrlDesc *ctrl = nullptr;
    auto fail = [&](const std::string &what) { throw LoadError{UIE_BAD_FILE_FORMAT, number, what}; };
    while (std::getline(in, raw)) {
        ++number;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        if (raw.find('\0') != std::string::npos) fail("a NUL character in the text");
        size_t pos = 0;
        std::string key;
        if (!NextWord(raw, &pos, &key) || key[0] == '#') continue;
        if (!sawHeader) {
            std::string version;
            if (key != "uir" || !NextWord(raw, &pos, &version) || version != "1" || !AtEnd(raw, pos)) {
                fail("the file must start with \"uir 1\"");
            }
            sawHeader = true;
            continue;
        }
        auto word = [&](const char *what) {
            std::string w;
            if (!NextWord(raw, &pos, &w)) fail(key + " needs " + what);
            return w;
        };
        auto text = [&] {
            std::string t, why;
            if (!ParseText(raw, pos, &t, &why)) fail(key + ": " + why);
            return t;
        };
        auto noMore = [&] {
            if (!AtEnd(raw, pos)) fail("unexpected text after " + key);
        };
        if (key == "panel") {
            if (panel != nullptr) fail("panel inside a panel (missing end?)");
            PanelDesc d;
            d.line = number;
            d.constName = word("a constant name");
            long id;
            if (!ParseInt(word("a resource ID"), &id) || id <= 0 || id > INT_MAX) fail("panel IDs are positive numbers");
            noMore();
            d.id = static_cast<int>(id);
            for (const PanelDesc &other : panels) {
                if (other.id == d.id) fail("panel ID " + std::to_string(id) + " is used twice");
            }
            panels.push_back(std::move(d));
            panel = &panels.back();
        } else if (key == "control") {
            if (panel == nullptr || ctrl != nullptr) fail("control outside a panel");
            CtrlDesc d;
            d.line = number;
            d.constName = word("a constant name");
            long id;
            if (!ParseInt(word("an ID"), &id) || id <= 0 || id > INT_MAX) fail("control IDs are positive numbers");
            d.id = static_cast<int>(id);
            std::string kind = word("a kind");
            long style;
            auto it = kKinds.find(kind);
            if (it != kKinds.end()) d.style = it->second;
            else if (ParseInt(kind, &style) && IsValidStyle(static_cast<int>(style))) d.style = static_cast<int>(style);
            else fail("unknown control kind " + kind);
            noMore();
            for (const CtrlDesc &other : panel->ctrls) {
                if (other.id == d.id) fail("control ID " + std::to_string(id) + " is used twice");
                if (other.constName == d.constName) fail("control name " + d.constName + " is used twice");
            }
            panel->ctrls.push_back(std::move(d));
            ctrl = &panel->ctrls.back();
        } else if (key == "end") {
            noMore();
            if (ctrl != nullptr) ctrl = nullptr;
            else if (panel != nullptr) panel = nullptr;
            else fail("end without panel or control");
        } else if (panel == nullptr) {
            fail("unknown statement " + key + " outside a panel");
        } else if (key == "title" && ctrl == nullptr) {
            panel->title = text();
        } else if (key == "label" && ctrl != nullptr) {
            ctrl->label = text();
        } else if (key == "callback") {
            std::string name = word("a function name");
            noMore();
            (ctrl ? ctrl->callback : panel->callback) = name;
        } else if (key == "top" || key == "left" || key == "height" || key == "width" || key == "attr" ||
                   (key == "item" && ctrl != nullptr)) {
            Statement s;
            s.line = number;
            s.key = key;
            if (key == "item") {
                s.text = text();
            } else {
                s.arg = word("a value");
                if (key == "attr") s.text = text();
                else noMore();
            }
            (ctrl ? ctrl->statements : panel->statements).push_back(std::move(s));
        } else {
            fail("unknown statement " + key);
        }
    }
    if (in.bad()) throw std::bad_alloc();  // getline turns a failed allocation into a bad stream
    if (!sawHeader) throw LoadError{UIE_BAD_FILE_FORMAT, number, "the file must start with \"uir 1\""};
    if (panel != nullptr) throw LoadError{UIE_BAD_FILE_FORMAT, number, "missing end at the end of the file"};
    return panels;
}

int AttributeNumber(const Statement &s) {
    auto it = kAttrNames.find(s.arg);
    if (it != kAttrNames.end()) return it->second;
    long v;
    if (ParseInt(s.arg, &v) && v > 0 && v < 100000) return static_cast<int>(v);
    throw LoadError{UIE_BAD_FILE_FORMAT, s.line, "unknown attribute " + s.arg};
}

// Applies a statement to the made panel or control (ctrl null: the panel).
// The ID of the panel's control with that constant name, for attributes that name a control.
bool CtrlIdByName(const Panel *p, const std::string &name, long *id) {
    for (const auto &c : p->ctrls) {
        if (c->constName == name) {
            *id = c->id;
            return true;
        }
    }
    return false;
}

void Apply(Panel *p, Control *c, const Statement &s) {
    int attribute;
    std::string value = s.text;
    if (s.key == "attr") {
        attribute = AttributeNumber(s);
    } else if (s.key == "item") {
        if (!IsListStyle(c->style)) throw LoadError{UIE_BAD_FILE_FORMAT, s.line, "item on a control that is not a list"};
        ListItem item;
        item.label = s.text;
        item.text = s.text;
        item.number = static_cast<double>(c->items.size());
        c->items.push_back(std::move(item));
        if (c->index < 0) c->index = 0;
        return;
    } else {
        attribute = s.key == "top" ? ATTR_TOP : s.key == "left" ? ATTR_LEFT : s.key == "height" ? ATTR_HEIGHT : ATTR_WIDTH;
        value = s.arg;
    }
    char kind;
    int rc = AttrKind(p, c, attribute, &kind);
    AttrArg arg;
    if (rc == 0) {
        auto named = kValueNames.find(value);
        long number = 0;
        bool isInt = named != kValueNames.end() ? (number = named->second, true) : ParseInt(value, &number);
        if (!isInt && kind == 'i') isInt = CtrlIdByName(p, value, &number);
        if (kind == 'i') {
            if (!isInt) throw LoadError{UIE_BAD_FILE_FORMAT, s.line, "attribute " + s.arg + " needs a whole number, not " + value};
            arg.i = static_cast<int>(number);
        } else if (kind == 'd') {
            char *end = nullptr;
            arg.d = std::strtod(value.c_str(), &end);
            if (isInt) arg.d = static_cast<double>(number);
            else if (value.empty() || *end != '\0') throw LoadError{UIE_BAD_FILE_FORMAT, s.line, "attribute " + s.arg + " needs a number"};
        } else if (kind == 's') {
            arg.s = value.c_str();
        } else {
            rc = UIE_WRONG_ATTRIBUTE;  // pointers cannot come from a file
        }
    }
    if (rc == 0) rc = SetAttr(p, c, attribute, arg);
    if (rc == UIE_OUT_OF_MEMORY) throw LoadError{rc, s.line, GetUILErrorString(rc)};
    if (rc < 0) throw LoadError{UIE_BAD_FILE_FORMAT, s.line, s.key + " " + s.arg + ": " + GetUILErrorString(rc)};
}

void *Bind(const std::string &name, int line) {
    if (name.empty()) return nullptr;
    int isFunction = 0;
    void *address = RteFindSymbol(name.c_str(), &isFunction);
    if (address == nullptr || !isFunction) {
        throw LoadError{UIE_CALLBACK_NOT_FOUND, line, "callback " + name + " is not a function in the program's symbol table"};
    }
    return address;
}

// Makes the described panel. Throws LoadError; the caller removes a half-made panel.
void Build(const PanelDesc &d, int handle) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(handle);
    p->constName = d.constName;
    p->callbackName = d.callback;
    p->callback = reinterpret_cast<PanelCallbackPtr>(Bind(d.callback, d.line));
    for (const CtrlDesc &cd : d.ctrls) {
        int id = CreateCtrl(handle, cd.style, cd.label.c_str(), 0, 0, cd.id);
        if (id < 0) throw LoadError{id == UIE_OUT_OF_MEMORY ? id : UIE_BAD_FILE_FORMAT, cd.line, GetUILErrorString(id)};
        Control *c = FindControl(p, id);
        c->constName = cd.constName;
        c->callbackName = cd.callback;
        c->callback = reinterpret_cast<CtrlCallbackPtr>(Bind(cd.callback, cd.line));
        for (const Statement &s : cd.statements) Apply(p, c, s);
    }
    // The panel's own attributes come last, so those that name a control (ATTR_CLOSE_CTRL)
    // find it made.
    for (const Statement &s : d.statements) Apply(p, nullptr, s);
}

// The program's own path (/proc/self/exe), or "" when it cannot be read.
std::string ProgramPath() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n <= 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

// Finds the file. A relative name is looked up beside the program, then in the share folder of
// an installed program (<program folder>/../share/<program name>/, so an install keeps its
// panel files with its data wherever its prefix is), then as given (the current folder).
std::string Resolve(const std::string &name) {
    if (name.empty() || name[0] == '/') return name;
    std::string program = ProgramPath();
    size_t slash = program.rfind('/');
    if (slash != std::string::npos) {
        std::string folder = program.substr(0, slash), programName = program.substr(slash + 1);
        for (const std::string &candidate : {folder + "/" + name, folder + "/../share/" + programName + "/" + name}) {
            if (access(candidate.c_str(), F_OK) == 0) return candidate;
        }
    }
    return name;
}

// Reads the whole file into *content. False when it cannot be read or is too large. Throws
// std::bad_alloc (a stream would turn it into a read error).
bool ReadFile(const std::string &path, std::string *content) {
    std::ifstream file(path, std::ios::binary);
    char chunk[4096];
    while (file) {
        file.read(chunk, sizeof chunk);
        content->append(chunk, static_cast<size_t>(file.gcount()));
        if (static_cast<long>(content->size()) > kMaxFileSize) return false;
    }
    return file.eof() && !file.bad();
}

int Load(int parent, const char *fileName, int resourceId) {
    if (fileName == nullptr) return UIE_NULL_POINTER;
    t_loadError.clear();
    if (parent != 0) {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        if (FindPanel(parent) == nullptr) return UIE_BAD_PANEL;
    }
    int handle = 0;
    std::string path;
    try {
        path = Resolve(fileName);
        if (path.empty() || access(path.c_str(), F_OK) != 0) {
            t_loadError = path + ": no such file";
            return UIE_FILE_NOT_FOUND;
        }
        std::string content;
        if (!ReadFile(path, &content)) {
            t_loadError = path + ": cannot be read";
            return UIE_FILE_READ_ERROR;
        }
        std::vector<PanelDesc> panels = Parse(content);
        const PanelDesc *wanted = nullptr;
        for (const PanelDesc &d : panels) {
            if (d.id == resourceId) wanted = &d;
        }
        if (wanted == nullptr) throw LoadError{UIE_RESOURCE_NOT_FOUND, 0, "no panel with ID " + std::to_string(resourceId)};
        handle = CreatePanel(parent, wanted->title.c_str(), 0, 0, 300, 400);
        if (handle < 0) throw LoadError{handle, wanted->line, GetUILErrorString(handle)};
        Build(*wanted, handle);
        return handle;
    } catch (const LoadError &e) {
        if (handle > 0) RemovePanelSilently(handle);
        t_loadError = path + ":" + std::to_string(e.line) + ": " + e.what;
        return e.code;
    } catch (const std::bad_alloc &) {
        if (handle > 0) RemovePanelSilently(handle);
        t_loadError.clear();
        return UIE_OUT_OF_MEMORY;
    }
}

}  // namespace
}  // namespace rte::internal

extern "C" int LoadPanel(int parentPanel, const char *fileName, int resourceId) {
    return rte::internal::Check("LoadPanel", rte::internal::Load(parentPanel, fileName, resourceId));
}

extern "C" const char *RteGetLoadPanelError(void) { return rte::internal::t_loadError.c_str(); }
