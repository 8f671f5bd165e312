// toolbox/ui/ctrl_discard.cpp - discarding controls and panels without the engine's error break,
// optionally keeping EVENT_DISCARD from the application's callback (ctrl_helpers.h).
#include "rte/ui.h"
#include "toolbox/ui/bole_scope_internal.h"
#include "toolbox/ui/ctrl_helpers.h"

extern "C" void DiscardCtrlNoBOLE(int panel, int control, int clearCallback) {
    toolbox::internal::BoleOff bole;
    if (panel <= 0 || control <= 0) return;
    if (clearCallback) SetCtrlAttribute(panel, control, ATTR_CALLBACK_FUNCTION_POINTER, static_cast<void *>(nullptr));
    DiscardCtrl(panel, control);
}

extern "C" void DiscardPanelNoBOLE(int panel, int clearCallback) {
    toolbox::internal::BoleOff bole;
    if (panel <= 0) return;
    if (clearCallback) SetPanelAttribute(panel, ATTR_CALLBACK_FUNCTION_POINTER, static_cast<void *>(nullptr));
    DiscardPanel(panel);
}
