/* examples/tips_and_mouse/tips_and_mouse.c - tool tips on a small panel, and the mouse events of
 * one control.
 *
 * SetCtrlToolTipAttribute gives the port number and the two buttons a tip each: rest the
 * pointer on one of them and its tip appears below the pointer; move, click or type and it goes.
 * EnableExtendedMouseEvents makes the pad's callback receive EVENT_MOUSE_MOVE,
 * EVENT_LEFT_MOUSE_UP and EVENT_RIGHT_MOUSE_UP (polled every 50 ms) besides the engine's clicks;
 * ConvertMouseCoordinates turns the panel point into the pad's own. */
#include "tips_and_mouse.h"

#include "rte/rte.h"
#include "toolbox/toolbox.h"

#include <stdio.h>

int WinMain(void *hInstance, void *hPrevInstance, char *lpszCmdLine, int nCmdShow) {
    (void)hPrevInstance;
    (void)lpszCmdLine;
    (void)nCmdShow;
    if (InitRTEEx(hInstance, 0, 0) == 0) return -1;
    int panel = LoadPanel(0, "tips_and_mouse.uir", TIPS);
    if (panel < 0) return -1;
    SetCtrlToolTipAttribute(panel, TIPS_PORT, ATTR_TOOLTIP_TEXT, "The port to read or write, 0 to 255");
    SetCtrlToolTipAttribute(panel, TIPS_READ, ATTR_TOOLTIP_TEXT, "Reads the port");
    SetCtrlToolTipAttribute(panel, TIPS_WRITE, ATTR_TOOLTIP_TEXT, "Writes the value to the port");
    if (EnableExtendedMouseEvents(panel, TIPS_PAD, 0.05) < 0) return -1;
    DisplayPanel(panel);
    RunUserInterface();
    DiscardPanel(panel);
    return 0;
}

int pad_events(int panel, int control, int event, void *callbackData, int eventData1, int eventData2) {
    const char *what;
    char text[80];
    int x = eventData2, y = eventData1;
    (void)callbackData;
    switch (event) {
    case EVENT_MOUSE_MOVE: what = "moved to"; break;
    case EVENT_LEFT_MOUSE_UP: what = "left button released at"; break;
    case EVENT_RIGHT_MOUSE_UP: what = "right button released at"; break;
    case EVENT_LEFT_CLICK: what = "left button pressed at"; break;
    default: return 0;
    }
    /* The panel point in the pad's own coordinates, kept inside it. */
    ConvertMouseCoordinates(panel, control, 1, 1, &x, &y);
    snprintf(text, sizeof text, "Pointer %s %d, %d", what, x, y);
    printf("%s\n", text);
    fflush(stdout);
    SetCtrlVal(panel, TIPS_LAST, text);
    return 0;
}

int quit_example(int panel, int control, int event, void *callbackData, int eventData1, int eventData2) {
    (void)panel;
    (void)control;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event == EVENT_COMMIT) QuitUserInterface(0);
    return 0;
}
