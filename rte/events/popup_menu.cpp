// rte/events/popup_menu.cpp - popup menus: RteTrackPopupMenu's modal wait for an answer, what
// the operator's pointer and keys do on the menu, and MenuIsOpen.
//
// Who answers a menu: a test's answerer when one is set; else, on the main thread, an operator
// script when one plays (its menu command), or the operator on a screen display (the display
// shows the menu and feeds its input here); else nobody can, and the menu is printed on
// standard error and dismissed, as the headless display answers popups at once.
#include "rte/events/popup_menu.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <new>

#include "rte/core/thread_queue.h"
#include "rte/engine.h"
#include "rte/events/event_loop.h"
#include "rte/model/popup_menu.h"
#include "rte/model/ui_model.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

std::atomic<bool> g_screenMenus{false};
std::atomic<MenuAnswerer> g_answerer{nullptr};
std::atomic<void *> g_answererContext{nullptr};

using Lock = std::lock_guard<std::recursive_mutex>;

// The next choosable line from `from` in direction step (wrapping); -1 when none.
int NextChoosable(const PopupMenu &m, int from, int step) {
    int n = static_cast<int>(m.lines.size());
    for (int k = 1; k <= n; ++k) {
        int i = ((from + step * k) % n + n) % n;
        if (Choosable(m.lines[static_cast<size_t>(i)])) return i;
    }
    return -1;
}

bool Answered(void *) {
    Lock hold(ModelLock());
    return TheMenu().answered;
}

void PrintMenu(const PopupMenu &m) {
    std::string text;
    for (const MenuLine &line : m.lines) {
        if (!text.empty()) text += '|';
        if (line.separator) {
            text += '-';
            continue;
        }
        if (line.checked) text += "[x] ";
        text += line.label;
        if (line.dimmed) text += " (dimmed)";
    }
    std::fflush(stdout);
    std::fprintf(stderr, "MENU %s\n", text.c_str());
    std::fflush(stderr);
}

}  // namespace

void SetScreenMenus(bool on) { g_screenMenus.store(on); }

void SetMenuAnswerer(MenuAnswerer answerer, void *context) {
    g_answererContext.store(context);
    g_answerer.store(answerer);
}

void MenuPointerAt(int x, int y) {
    Lock hold(ModelLock());
    PopupMenu &m = TheMenu();
    if (!m.open) return;
    int line = MenuLineAt(m, x, y);
    m.hover = line >= 0 && Choosable(m.lines[static_cast<size_t>(line)]) ? line : -1;
}

void MenuClickAt(int x, int y) {
    Lock hold(ModelLock());
    PopupMenu &m = TheMenu();
    if (!m.open) return;
    bool inside = x >= m.left && y >= m.top && x < m.left + m.width && y < m.top + m.height;
    if (!inside) {
        AnswerMenu(0);
        return;
    }
    int line = MenuLineAt(m, x, y);
    if (line >= 0 && Choosable(m.lines[static_cast<size_t>(line)])) AnswerMenu(m.lines[static_cast<size_t>(line)].command);
}

void MenuKey(int keyCode) {
    Lock hold(ModelLock());
    PopupMenu &m = TheMenu();
    if (!m.open || m.lines.empty()) return;
    int n = static_cast<int>(m.lines.size());
    switch (keyCode & 0xFFFF) {
    case VAL_DOWN_ARROW_VKEY: m.hover = NextChoosable(m, m.hover < 0 ? -1 : m.hover, 1); break;
    case VAL_UP_ARROW_VKEY: m.hover = NextChoosable(m, m.hover < 0 ? n : m.hover, -1); break;
    case VAL_HOME_VKEY: m.hover = NextChoosable(m, -1, 1); break;
    case VAL_END_VKEY: m.hover = NextChoosable(m, n, -1); break;
    case VAL_ENTER_VKEY: case ' ':
        if (m.hover >= 0) AnswerMenu(m.lines[static_cast<size_t>(m.hover)].command);
        break;
    case VAL_ESC_VKEY: AnswerMenu(0); break;
    default: break;
    }
}

bool MenuChooseLabel(const std::string &label) {
    Lock hold(ModelLock());
    PopupMenu &m = TheMenu();
    if (!m.open || m.answered) return false;
    for (const MenuLine &line : m.lines) {
        if (line.label == label && Choosable(line)) {
            AnswerMenu(line.command);
            return true;
        }
    }
    return false;
}

bool MenuDismiss() {
    Lock hold(ModelLock());
    if (!TheMenu().open || TheMenu().answered) return false;
    AnswerMenu(0);
    return true;
}

}  // namespace rte::internal

using namespace rte::internal;

extern "C" int RteTrackPopupMenu(const RteMenuItem *items, int count, int x, int y, int alignment) {
    if (items == nullptr || count <= 0) return 0;
    // A menu shows on the chosen screen even when no panel opened it yet (a program whose only
    // face is its tray icon); without a screen it is answered as below.
    if (CurrThreadId() == MainThreadId() && g_answerer.load() == nullptr) OpenDisplayForMenu();
    try {
        {
            Lock hold(ModelLock());
            if (TheMenu().open) return 0;  // one menu at a time
            OpenMenu(items, count, x, y, alignment);
        }
        bool main = CurrThreadId() == MainThreadId();
        if (MenuAnswerer answerer = g_answerer.load()) {
            int command = answerer(g_answererContext.load());
            Lock hold(ModelLock());
            AnswerMenu(command);
        } else if (main && (IdleHookSet() || g_screenMenus.load())) {
            if (!g_screenMenus.load()) {
                Lock hold(ModelLock());
                PrintMenu(TheMenu());
            }
            WakeThread(CurrThreadId());  // a screen display shows it at its next turn
            RunEventsUntil(Answered, nullptr);
        } else {
            Lock hold(ModelLock());
            PrintMenu(TheMenu());
            AnswerMenu(0);
        }
    } catch (const std::bad_alloc &) {
        Lock hold(ModelLock());
        AnswerMenu(0);
    }
    Lock hold(ModelLock());
    PopupMenu &m = TheMenu();
    int result = m.result;
    m.open = false;
    m.lines.clear();
    return result;
}

extern "C" int MenuIsOpen(void) {
    Lock hold(ModelLock());
    return TheMenu().open ? 1 : 0;
}
