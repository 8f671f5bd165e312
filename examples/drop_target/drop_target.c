/* examples/drop_target/drop_target.c - a panel that lists the files dropped on it.
 *
 * EnableDragAndDrop lets the operator drop files from the desktop's file manager on the panel;
 * each drop reaches the panel's callback as EVENT_FILES_DROPPED, and TakeDroppedFileList hands
 * over the paths, which the callback adds to its list and frees. */
#include "drop_target.h"

#include "rte/rte.h"
#include "toolbox/toolbox.h"

#include <stdio.h>
#include <stdlib.h>

static int total;

int WinMain(void *hInstance, void *hPrevInstance, char *lpszCmdLine, int nCmdShow) {
    int panel, status;
    (void)hPrevInstance;
    (void)lpszCmdLine;
    (void)nCmdShow;
    if (InitRTEEx(hInstance, 0, 0) == 0) return -1;
    panel = LoadPanel(0, "drop_target.uir", DROP);
    if (panel < 0) return -1;
    status = EnableDragAndDrop(panel);
    if (status < 0) {
        SetCtrlVal(panel, DROP_COUNT, GetGeneralErrorString(status));
    }
    DisplayPanel(panel);
    RunUserInterface();
    DiscardPanel(panel);
    return 0;
}

int drop_panel(int panel, int event, void *callbackData, int eventData1, int eventData2) {
    char **files;
    char count[64];
    int i;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event == EVENT_CLOSE) {
        QuitUserInterface(0);
        return 0;
    }
    if (event != EVENT_FILES_DROPPED) return 0;
    files = TakeDroppedFileList();
    if (files == NULL) return 0;
    for (i = 0; files[i] != NULL; ++i) {
        InsertListItem(panel, DROP_FILES, -1, files[i], files[i]);
        free(files[i]);
        ++total;
    }
    free(files);
    snprintf(count, sizeof count, "%d file%s dropped", total, total == 1 ? "" : "s");
    SetCtrlVal(panel, DROP_COUNT, count);
    return 0;
}

int quit_drop_target(int panel, int control, int event, void *callbackData, int eventData1, int eventData2) {
    (void)panel;
    (void)control;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event == EVENT_COMMIT) QuitUserInterface(0);
    return 0;
}
