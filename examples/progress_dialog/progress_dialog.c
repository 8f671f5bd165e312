/* examples/progress_dialog/progress_dialog.c - a long operation under a progress dialog.
 *
 * Start copies 100 "files", each a short pause, reporting after each one with
 * UpdateProgressDialog, which also lets the engine process events: that is when the dialog is
 * redrawn and its Cancel button (or the Escape key) seen. The status line says how it ended.
 * Run it on the screen and press Cancel, or play cancel_at_40.txt headless. */
#include "progress_dialog.h"

#include "rte/rte.h"
#include "toolbox/toolbox.h"

#include <stdio.h>
#include <time.h>

#define STEPS 100

/* One "file": a pause of 10 ms, standing for real work. */
static void CopyOneFile(void) {
    struct timespec pause = {0, 10 * 1000 * 1000};
    nanosleep(&pause, NULL);
}

int WinMain(void *hInstance, void *hPrevInstance, char *lpszCmdLine, int nCmdShow) {
    (void)hPrevInstance;
    (void)lpszCmdLine;
    (void)nCmdShow;
    if (InitRTEEx(hInstance, 0, 0) == 0) return -1;
    int panel = LoadPanel(0, "progress_dialog.uir", PROGRESS);
    if (panel < 0) return -1;
    DisplayPanel(panel);
    RunUserInterface();
    DiscardPanel(panel);
    return 0;
}

int start_operation(int panel, int control, int event, void *callbackData, int eventData1, int eventData2) {
    char status[64];
    (void)control;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event != EVENT_COMMIT) return 0;
    int dialog = CreateProgressDialog("Copying", "Copying files", 1, 3, "__Cancel");
    if (dialog < 0) {
        SetCtrlVal(panel, PROGRESS_STATUS, GetGeneralErrorString(dialog));
        return 0;
    }
    snprintf(status, sizeof status, "Done: all %d steps", STEPS);
    for (int step = 0; step <= STEPS; step++) {
        int percent = step * 100 / STEPS;
        if (UpdateProgressDialog(dialog, percent, 1) == 1) {
            snprintf(status, sizeof status, "Cancelled at %d%%", percent);
            break;
        }
        if (step < STEPS) CopyOneFile();
    }
    DiscardProgressDialog(dialog);
    SetCtrlVal(panel, PROGRESS_STATUS, status);
    return 0;
}

int quit_program(int panel, int control, int event, void *callbackData, int eventData1, int eventData2) {
    (void)panel;
    (void)control;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event == EVENT_COMMIT) QuitUserInterface(0);
    return 0;
}
