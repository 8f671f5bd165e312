/* examples/drop_target/drop_target.h - a panel that lists the files dropped on it: the panel's
 * IDs and the callbacks its panel file names (plain C). */
#ifndef EXAMPLES_DROP_TARGET_H
#define EXAMPLES_DROP_TARGET_H

#ifdef __cplusplus
extern "C" {
#endif

#define DROP 1             /* the panel in drop_target.uir; its callback is drop_panel */
#define DROP_FILES 2       /* the files dropped so far (list box) */
#define DROP_COUNT 3       /* how many (text message) */
#define DROP_QUIT 4        /* ends the program: callback quit_drop_target */

/* Loads the panel, lets files be dropped on it, runs it. 0, or -1 when the engine or the panel
 * cannot be loaded. */
int WinMain(void *hInstance, void *hPrevInstance, char *lpszCmdLine, int nCmdShow);

/* The panel's callback: EVENT_FILES_DROPPED adds the dropped files to the list. */
int drop_panel(int panel, int event, void *callbackData, int eventData1, int eventData2);

/* Ends the program. */
int quit_drop_target(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

#ifdef __cplusplus
}
#endif

#endif
