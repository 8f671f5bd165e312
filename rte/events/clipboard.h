// rte/events/clipboard.h - the clipboard that entries cut, copy and paste through (internal, C++).
// A display with a desktop clipboard (SDL's) sets the hooks when it starts, so text copied in a
// panel can be pasted in any program and the other way round; without them (the headless
// display) the engine keeps the text itself, for the run. Called on the thread of the input.
#ifndef RTE_EVENTS_CLIPBOARD_H
#define RTE_EVENTS_CLIPBOARD_H

#include <string>

namespace rte::internal {

// Reads the desktop's clipboard into *text (false: nothing readable there), and puts text on it.
using ClipboardReadHook = bool (*)(std::string *text);
using ClipboardWriteHook = void (*)(const std::string &text);
// Both hooks, or both null to go back to the engine's own clipboard.
void SetClipboardHooks(ClipboardReadHook read, ClipboardWriteHook write);

// The clipboard's text ("" when it holds none), and putting text on it.
std::string ClipboardText();
void SetClipboardText(const std::string &text);

}  // namespace rte::internal

#endif
