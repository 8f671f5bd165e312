/* toolbox/ui/ring_sizing.h - a ring control made just wide enough for its longest label.
 *
 * The labels are measured in the control's own font (name, size and style flags) through the
 * metafont "___RingMetaFont", which is redefined afterwards to a font that stands for nothing
 * ("bogusfont", 6 points, every flag set) so that it keeps no control's font. Labels of any
 * length are measured. Runs on the caller's thread; two threads sizing rings at the same moment
 * share that one metafont name, so a program sizes its rings from one thread.
 */
#ifndef TOOLBOX_UI_RING_SIZING_H
#define TOOLBOX_UI_RING_SIZING_H

#ifdef __cplusplus
extern "C" {
#endif

/* Sets the ring's width to its widest label plus the room for its arrow: 19 pixels for a ring
 * (CTRL_RING, 300), 21 for a menu ring (CTRL_MENU_RING, 301). 0, UIE_WRONG_ATTRIBUTE (-45) for
 * any other style, UIE_OUT_OF_MEMORY (-12), or the engine's code. */
int SizeRingCtrlToText(int panel, int control);

#ifdef __cplusplus
}
#endif

#endif
