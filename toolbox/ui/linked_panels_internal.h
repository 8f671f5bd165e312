/* toolbox/ui/linked_panels_internal.h - the process-wide list of panels that carry chained
 * callbacks, kept by callback chaining (library-internal, plain C).
 *
 * The list lives in the panels-with-linked-callbacks variable (toolbox/core/thread_state.h) and
 * holds one PanelLinkCount per panel with at least one live link (links of the panel itself and
 * of its controls together). It exists exactly while it has items: made by the first link,
 * disposed of when the last one goes, so that a failed chain call leaves nothing behind. At
 * process exit, DiscardPanelsWithLinkedCallbacks discards every panel still listed, which sends
 * EVENT_DISCARD through their chains and so frees the links.
 */
#ifndef TOOLBOX_UI_LINKED_PANELS_INTERNAL_H
#define TOOLBOX_UI_LINKED_PANELS_INTERNAL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct PanelLinkCount {
    int32_t panel;     /* panel handle; the search key (a bare handle serves as one) */
    int32_t linkCount; /* live links on the panel and its controls, >= 1 */
} PanelLinkCount;

/* Sets up chaining once per process: the per-thread state and the process-exit clean-up that
 * discards the listed panels. */
void InitCallbackChaining(void);

/* Counts one more link on the panel, adding it at the end of the list when new. 0, or -12 when
 * the list or its item cannot be made (the list is then as it was). */
int AddPanelWithLinkedCallbacks(int panel);

/* Counts one link less on the panel; its item goes at 0, the list with its last item. */
void RemovePanelWithLinkedCallbacks(int panel);

/* 1 and the panel at position (1 .. number of items) in *panel, else 0. */
int GetNthPanelWithLinkedCallbacks(int position, int *panel);

/* The panel's link count (0 when it is not listed). For tests and diagnostics. */
int PanelLinkCountOf(int panel);

#ifdef __cplusplus
}
#endif

#endif
