/* examples/colour_scheme/colour_scheme.c - a colour-scheme editor.
 *
 * The scheme is a list of ColorListEntry items (name, default colour, colour). Edit opens
 * ColorChangePopup over it: the panel's swatches follow every change as it is made (the popup's
 * callback), OK keeps the new colours and Cancel puts the old ones back. Run it on the screen,
 * or play default_then_ok.txt or pick_a_colour.txt headless. */
#include "colour_scheme.h"

#include "rte/rte.h"
#include "toolbox/toolbox.h"

static int panel;
static ListHandle scheme;

static const int kSwatch[] = {SCHEME_BACKGROUND, SCHEME_TEXT, SCHEME_ACCENT};

/* The panel's swatches show the scheme as it is now. */
static void ShowScheme(ListHandle colors, void *callbackData, int position) {
    (void)callbackData;
    (void)position;
    for (int i = 1; i <= ListNumItems(colors) && i <= 3; i++) {
        ColorListEntry *e = ListGetPtrToItem(colors, i);
        SetCtrlVal(panel, kSwatch[i - 1], e->color);
    }
}

int WinMain(void *hInstance, void *hPrevInstance, char *lpszCmdLine, int nCmdShow) {
    static char background[] = "Background", text[] = "Text", accent[] = "Accent";
    ColorListEntry entries[] = {
        {background, 0xFFFFFF, 0xF0E8D8},
        {text, 0x000000, 0x202040},
        {accent, 0x0000FF, 0xC04000},
    };
    (void)hPrevInstance;
    (void)lpszCmdLine;
    (void)nCmdShow;
    if (InitRTEEx(hInstance, 0, 0) == 0) return -1;
    panel = LoadPanel(0, "colour_scheme.uir", SCHEME);
    scheme = ListCreate(sizeof(ColorListEntry));
    if (panel < 0 || scheme == NULL || !ListInsertItems(scheme, entries, LIST_END, 3)) return -1;
    ShowScheme(scheme, NULL, -1);
    DisplayPanel(panel);
    RunUserInterface();
    DiscardPanel(panel);
    ListDispose(scheme);
    return 0;
}

int edit_scheme(int p, int control, int event, void *callbackData, int eventData1, int eventData2) {
    (void)control;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event != EVENT_COMMIT) return 0;
    int result = ColorChangePopup("Colour Scheme", scheme, 1, ShowScheme, NULL);
    if (result < 0) SetCtrlVal(p, SCHEME_STATUS, GetGeneralErrorString(result));
    else SetCtrlVal(p, SCHEME_STATUS, result == 1 ? "Scheme changed" : "Scheme unchanged");
    ShowScheme(scheme, NULL, -1);
    return 0;
}

int quit_editor(int p, int control, int event, void *callbackData, int eventData1, int eventData2) {
    (void)p;
    (void)control;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event == EVENT_COMMIT) QuitUserInterface(0);
    return 0;
}
