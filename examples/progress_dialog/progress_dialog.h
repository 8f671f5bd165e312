/* examples/progress_dialog/progress_dialog.h - a long operation shown in a progress dialog that
 * the operator can cancel: the panel's IDs and the callbacks its panel file names (plain C). */
#ifndef EXAMPLES_PROGRESS_DIALOG_H
#define EXAMPLES_PROGRESS_DIALOG_H

#ifdef __cplusplus
extern "C" {
#endif

#define PROGRESS 1                /* the panel in progress_dialog.uir */
#define PROGRESS_STATUS 2         /* how the last operation ended (text message) */
#define PROGRESS_START  3         /* runs the operation: callback start_operation */
#define PROGRESS_QUIT   4         /* ends the program: callback quit_program */

/* Loads the panel and runs it. 0, or -1 when the engine or the panel cannot be loaded. */
int WinMain(void *hInstance, void *hPrevInstance, char *lpszCmdLine, int nCmdShow);

/* Copies 100 "files" (a short pause each) under a progress dialog, until done or cancelled. */
int start_operation(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

/* Ends the program. */
int quit_program(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

#ifdef __cplusplus
}
#endif

#endif
