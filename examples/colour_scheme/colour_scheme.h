/* examples/colour_scheme/colour_scheme.h - a colour-scheme editor on ColorChangePopup: the
 * panel's IDs and the callbacks its panel file names (plain C). */
#ifndef EXAMPLES_COLOUR_SCHEME_H
#define EXAMPLES_COLOUR_SCHEME_H

#ifdef __cplusplus
extern "C" {
#endif

#define SCHEME 1                  /* the panel in colour_scheme.uir */
#define SCHEME_BACKGROUND 2       /* the scheme's colours, shown (colour numerics, indicators) */
#define SCHEME_TEXT       3
#define SCHEME_ACCENT     4
#define SCHEME_STATUS     5       /* what the last edit did (text message) */
#define SCHEME_EDIT       6       /* opens the colour popup: callback edit_scheme */
#define SCHEME_QUIT       7       /* ends the program: callback quit_editor */

/* Loads the panel, shows the scheme and runs it. 0, or -1 when the engine or the panel cannot
 * be loaded. */
int WinMain(void *hInstance, void *hPrevInstance, char *lpszCmdLine, int nCmdShow);

/* Edits the scheme in the colour popup, with a Default button. */
int edit_scheme(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

/* Ends the program. */
int quit_editor(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

#ifdef __cplusplus
}
#endif

#endif
