/* examples/tips_and_mouse/tips_and_mouse.h - tool tips on a small panel, and the mouse events
 * of one control: the panel's IDs and the callbacks its panel file names (plain C). */
#ifndef EXAMPLES_TIPS_AND_MOUSE_H
#define EXAMPLES_TIPS_AND_MOUSE_H

#ifdef __cplusplus
extern "C" {
#endif

#define TIPS 1          /* the panel in tips_and_mouse.uir */
#define TIPS_PORT  2    /* a port number (numeric), with a tip */
#define TIPS_READ  3    /* command button with a tip */
#define TIPS_WRITE 4    /* command button with a tip */
#define TIPS_PAD   5    /* a box whose pointer moves and button releases are shown: callback pad_events */
#define TIPS_LAST  6    /* the pad's latest mouse event (text message) */
#define TIPS_QUIT  7    /* ends the program: callback quit_example */

/* Loads the panel, gives its controls tool tips, starts the pad's mouse events and runs the
 * panel. 0, or -1 when the engine or the panel cannot be loaded. */
int WinMain(void *hInstance, void *hPrevInstance, char *lpszCmdLine, int nCmdShow);

/* The pad: prints each mouse event (with the pointer in the pad's own coordinates) and shows
 * the latest in TIPS_LAST. */
int pad_events(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

/* Ends the program. */
int quit_example(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

#ifdef __cplusplus
}
#endif

#endif
