// rte/events/operator_script.h - operator scripts (internal): parsing script text and playing it from
// the main thread's event loop on the headless display.
#ifndef RTE_EVENTS_OPERATOR_SCRIPT_H
#define RTE_EVENTS_OPERATOR_SCRIPT_H

#include <string>
#include <vector>

namespace rte::internal {

struct ScriptLine {
    int lineNumber = 0;
    std::string command;  // press type select focus key keys move button wait await show dump expect tray menu drop
    std::string name;
    std::string text;
    double seconds = 0;
    int keyCode = 0;      // key: the key with its modifiers; tray: the click (RTE_TRAY_...)
    bool atPoint = false; // move X Y (else move NAME)
    int x = 0, y = 0;
    bool right = false;   // button: which one, and whether it goes down or up
    bool down = false;
    std::vector<std::string> paths;  // drop: the files dropped
};

// Parses a whole script. Blank lines and lines starting with '#' are skipped. False with
// "<file>:<line>: <what>" in *error on the first bad line. Throws std::bad_alloc when memory
// runs out (never returns a part of the script).
bool ParseOperatorScript(const std::string &content, const std::string &fileName,
                         std::vector<ScriptLine> *lines, std::string *error);

// The key code of a key named as the key command names it ("Tab", "Shift+Tab", "a", "F4"), or
// 0 for a name that is no key.
int KeyCodeOf(const std::string &name);

// Takes the next word from line at *pos, or a double-quoted string (with the escapes of TEXT)
// as one word. False when none is left, or with a reason in *error for an unclosed quote.
bool NextPath(const std::string &line, size_t *pos, std::string *word, std::string *error);

// Reads and parses the script file, as ParseOperatorScript does.
bool ReadOperatorScript(const char *path, std::vector<ScriptLine> *lines, std::string *error);

// Reads and parses the script file and makes RunUserInterface on the calling (main) thread play
// it. False with a reason when the file cannot be read or parsed; throws std::bad_alloc, with
// nothing started, when memory runs out.
bool StartOperatorScript(const char *path, std::string *error);

}  // namespace rte::internal

#endif
