// rte/model/label_lookup.cpp - finding a control that has no constant name by its label, as an
// operator reads it on the screen (the label without its accelerator escape and without the
// blanks around it), for operator scripts driving panels a program made in code.
#include <mutex>

#include "rte/model/labels.h"
#include "rte/model/ui_model.h"

namespace rte::internal {
namespace {

std::string Trimmed(const std::string &text) {
    size_t start = text.find_first_not_of(" \t"), end = text.find_last_not_of(" \t");
    return start == std::string::npos ? std::string() : text.substr(start, end - start + 1);
}

int TopLevelOf(int handle) {
    Panel *p = FindPanel(handle);
    while (p != nullptr && p->parent != 0) p = FindPanel(p->parent);
    return p == nullptr ? 0 : p->handle;
}

// Where the operator looks first: the topmost popup, then the active panel, then the other
// panels on the screen, then hidden ones.
int Rank(int handle) {
    int top = TopLevelOf(handle);
    if (top != 0 && top == TopPopup()) return 0;
    if (top != 0 && top == ActivePanelHandle()) return 1;
    return PanelShown(handle) ? 2 : 3;
}

}  // namespace

bool FindCtrlByLabel(const std::string &label, int *panel, int *control) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    std::string wanted = Trimmed(label);
    if (wanted.empty()) return false;
    std::vector<int> handles = PanelHandles();
    for (int rank = 0; rank <= 3; ++rank) {
        for (int handle : handles) {
            Panel *p = FindPanel(handle);
            if (p == nullptr || Rank(handle) != rank) continue;
            for (auto &c : p->ctrls) {
                if (!c->constName.empty() || c->style == CTRL_TIMER) continue;
                if (Trimmed(LabelText(*c)) == wanted) {
                    *panel = handle;
                    *control = c->id;
                    return true;
                }
            }
        }
    }
    return false;
}

}  // namespace rte::internal
