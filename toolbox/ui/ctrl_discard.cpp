// toolbox/ui/ctrl_discard.cpp - discarding controls and panels without the engine's error break,
// optionally keeping EVENT_DISCARD from the application's callback (ctrl_helpers.h).
//
// Clearing the callback attribute itself would cut chained links (toolbox/ui/callback_chain.h)
// off from EVENT_DISCARD, which is when they free themselves and leave the list of panels with
// links. So only the base callback, the application's, is cleared; the links still see the
// event and go.
#include "rte/ui.h"
#include "toolbox/ui/bole_scope_internal.h"
#include "toolbox/ui/callback_base_internal.h"
#include "toolbox/ui/ctrl_helpers.h"

extern "C" void DiscardCtrlNoBOLE(int panel, int control, int clearCallback) {
    toolbox::internal::BoleOff bole;
    if (panel <= 0 || control <= 0) return;
    if (clearCallback) SetBaseCtrlCallback(panel, control, nullptr);
    DiscardCtrl(panel, control);
}

extern "C" void DiscardPanelNoBOLE(int panel, int clearCallback) {
    toolbox::internal::BoleOff bole;
    if (panel <= 0) return;
    if (clearCallback) SetBasePanelCallback(panel, nullptr);
    DiscardPanel(panel);
}
