// rte/model/labels.h - the text of controls as they are measured and drawn (internal, C++): a
// control's font, labels without their accelerator escape, label sizes and places, and the
// rectangle that holds a control with its label. The renderer draws with the same functions, so
// what is measured here is what the operator sees. Call with ModelLock() held; the measuring
// functions throw std::bad_alloc.
#ifndef RTE_MODEL_LABELS_H
#define RTE_MODEL_LABELS_H

#include <string>

#include "rte/gfx/fonts.h"
#include "rte/model/ui_model.h"

namespace rte::internal {

// The font a control draws its text and label in (its ATTR_TEXT_... attributes).
FontSpec ControlFont(const Control &c);
// A label with its accelerator escape ("__" before a character) removed; *accelerator gets the
// byte index of the marked character in the result, or -1.
std::string StripAcceleratorEscape(const std::string &label, int *accelerator);

// The size of a text in the control's font (0 x 0 for an empty text).
void CtrlTextSize(const Control &c, const std::string &text, int *height, int *width);
int TextWidth(const Control &c, const std::string &text);
int TextHeight(const Control &c, const std::string &text);
std::string LabelText(const Control &c);  // the label as drawn: without its escape

int LabelWidth(const Control &c);
int LabelHeight(const Control &c);
int ResolvedLabelTop(const Control &c);   // VAL_AUTO_CENTER resolved
int ResolvedLabelLeft(const Control &c);
void RelabelAfterResize(Control &c);      // text messages size themselves to their text
void BoundingRect(const Control &c, int *top, int *left, int *height, int *width);

}  // namespace rte::internal

#endif
