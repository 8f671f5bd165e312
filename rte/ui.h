/* rte/ui.h - panels, controls, attributes, callbacks and the event loop of the run-time engine.
 *
 * Model. A panel is a window-like container with a positive handle; it holds controls, each
 * named by a positive control ID unique within its panel. Panels and controls carry numbered,
 * typed attributes (ATTR_... below). A panel belongs to the thread that created it: its
 * callbacks run on that thread inside RunUserInterface, ProcessSystemEvents or GetUserEvent.
 * The engine's functions may be called from any thread (the model is guarded by one lock), but
 * events and timers of a panel are only delivered on its own thread.
 *
 * Results. Functions returning int give 0 (or a count/handle/ID) on success and a negative
 * engine code (UIE_...) on failure; GetUILErrorString gives the text of any code. When
 * break-on-library-errors is on (rte/engine.h) every failure also prints one line on stderr.
 *
 * Coordinates are pixels relative to the panel's client area (top-level panels: to the screen).
 * Text is measured in the control's own font by the engine's renderer (pango, no screen needed),
 * so a size read here is the size drawn on every display; list boxes have lines of 15 pixels.
 *
 * Numbers. Attribute numbers, attribute values, control styles, data types and event codes are
 * the engine's fixed interface: code that names the numbers themselves (as the utility library
 * does) relies on them, so they never change.
 */
#ifndef RTE_UI_H
#define RTE_UI_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Callbacks and events ----------------------------------------------------------------- */

/* A non-zero return from a callback swallows the event: the engine skips its own follow-up
 * action (a swallowed EVENT_LEFT_CLICK gives no focus change and no commit; a swallowed
 * EVENT_KEYPRESS leaves the key unapplied). */
typedef int (*CtrlCallbackPtr)(int panel, int control, int event, void *callbackData,
                               int eventData1, int eventData2);
typedef int (*PanelCallbackPtr)(int panel, int event, void *callbackData, int eventData1,
                                int eventData2);

#define EVENT_NONE               0
#define EVENT_COMMIT             1   /* the operator committed a value or pressed a button */
#define EVENT_VAL_CHANGED        2   /* the value changed by operator input */
#define EVENT_LEFT_CLICK         3   /* data1 = y, data2 = x (panel coordinates) */
#define EVENT_LEFT_DOUBLE_CLICK  4
#define EVENT_RIGHT_CLICK        5
#define EVENT_RIGHT_DOUBLE_CLICK 6
#define EVENT_KEYPRESS           7   /* data1 = key code (VAL_..._VKEY or a character | modifiers) */
#define EVENT_GOT_FOCUS          8   /* only from operator focus moves, never from SetActiveCtrl */
#define EVENT_LOST_FOCUS         9   /* likewise */
#define EVENT_IDLE               10
#define EVENT_CLOSE              11  /* panel: the operator closed the panel's window */
#define EVENT_PANEL_SIZE         12
#define EVENT_PANEL_MOVE         13
#define EVENT_END_TASK           14  /* panel: the session is ending */
#define EVENT_TIMER_TICK         15  /* timer control: see GetTimerTickTime */
#define EVENT_DISCARD            16  /* sent while the object still exists, just before it goes */
#define EVENT_DROP               17  /* panel: files dropped on it; data1 = number of paths; the
                                        list is read with RteGetDroppedFile during the callback */

/* Timer ticks. A callback's event data are ints, too small for a pointer on 64-bit, so the tick
 * time travels beside the event: during an EVENT_TIMER_TICK callback, GetTimerTickTime() gives
 * the engine time (Timer() scale, seconds) of the tick being delivered, and GetTimerTickTimePtr()
 * the address of that double (valid until the callback returns). eventData1 carries the tick
 * time in whole milliseconds modulo 2^31 and eventData2 the milliseconds since the timer's
 * previous tick (0 for the first), both informational. Outside a tick both give the time of
 * the calling thread's latest tick (0 before any). */
double GetTimerTickTime(void);
const double *GetTimerTickTimePtr(void);

/* Key codes (EVENT_KEYPRESS data1): a character code, or one of these, or'ed with modifiers. */
#define VAL_BACKSPACE_VKEY  0x0100
#define VAL_TAB_VKEY        0x0200
#define VAL_ESC_VKEY        0x0300
#define VAL_FWD_DELETE_VKEY 0x0400
#define VAL_ENTER_VKEY      0x0500
#define VAL_UP_ARROW_VKEY   0x0600
#define VAL_DOWN_ARROW_VKEY 0x0700
#define VAL_LEFT_ARROW_VKEY 0x0800
#define VAL_RIGHT_ARROW_VKEY 0x0900
#define VAL_INSERT_VKEY     0x0A00
#define VAL_HOME_VKEY       0x0B00
#define VAL_END_VKEY        0x0C00
#define VAL_PAGE_UP_VKEY    0x0D00
#define VAL_PAGE_DOWN_VKEY  0x0E00
#define VAL_F1_VKEY         0x0F00  /* F1 to F12: VAL_F1_VKEY + (n - 1) * 0x100 */
#define VAL_F4_VKEY         0x1200
#define VAL_F12_VKEY        0x1A00
#define VAL_MENUKEY_MODIFIER 0x10000  /* Ctrl */
#define VAL_SHIFT_MODIFIER   0x20000
#define VAL_ALT_MODIFIER     0x40000

/* ---- Error codes -------------------------------------------------------------------------- */

#define UIE_NO_ERROR            0
#define UIE_NOT_INITIALIZED    -1    /* InitRTEEx has not been called */
#define UIE_NO_DISPLAY         -2    /* the display could not be opened (no screen reachable) */
#define UIE_WRONG_DATA_TYPE    -10   /* the control's value is not of the data type the call needs */
#define UIE_OUT_OF_MEMORY      -12
#define UIE_BAD_COUNT          -14   /* a count argument is not valid (for example below 1) */
#define UIE_FILE_READ_ERROR    -15   /* panel resource file could not be read */
#define UIE_BAD_FILE_FORMAT    -16   /* panel resource file malformed (see RteGetLoadPanelError) */
#define UIE_FILE_NOT_FOUND     -17   /* panel resource file not found */
#define UIE_RESOURCE_NOT_FOUND -18   /* no panel with that resource ID in the file */
#define UIE_CALLBACK_NOT_FOUND -19   /* a callback named in the file is not in the symbol table */
#define UIE_BAD_PANEL          -42   /* the panel handle is not valid */
#define UIE_BAD_CONTROL        -43   /* the control ID is not valid on that panel */
#define UIE_WRONG_ATTRIBUTE    -45   /* the attribute does not apply to this panel or control */
#define UIE_BAD_ATTRIBUTE      -46   /* the attribute number is not valid */
#define UIE_READ_ONLY_ATTRIBUTE -47  /* the attribute can be read but not set */
#define UIE_NOT_LIST_CONTROL   -48   /* the operation needs a list control (list box, ring) */
#define UIE_INDEX_OUT_OF_RANGE -49   /* the list index is out of range */
#define UIE_LIST_EMPTY         -50   /* the list control has no items, so no value */
#define UIE_NO_VALUE           -51   /* this kind of control has no value */
#define UIE_BAD_STYLE          -52   /* the control style is not valid */
#define UIE_NOT_TOP_LEVEL      -53   /* the operation needs a top-level panel */
#define UIE_NO_PARENT_CHILD    -54   /* parent panel not valid for a child panel */
#define UIE_LOOP_RUNNING       -55   /* RunUserInterface is already running on this thread */
#define UIE_NO_CURRENT_ITEM    -56   /* the list control has no current item */
#define UIE_BUFFER_TOO_SMALL   -57   /* the caller's buffer is too small for the result */
#define UIE_BAD_USER_EVENT     -60   /* user event numbers are 1000 to 10000 */
#define UIE_OPERATION_NOT_VALID -63  /* the operation is not valid for this attribute */
#define UIE_NULL_POINTER       -65
#define UIE_BAD_VALUE          -90   /* the value is not valid for the attribute or control */
#define UIE_FILE_OPEN_FAILED   -91   /* a file could not be opened or queried */
#define UIE_FILE_IO_ERROR      -93   /* a file read, write or seek failed */
#define UIE_FILE_MISSING       -94   /* the file does not exist */
#define UIE_FILE_ACCESS_DENIED -95   /* access to the file was denied, or the name is taken */
#define UIE_DISK_FULL          -97   /* the disk is full */
#define UIE_BAD_PATHNAME       -100  /* the path name is badly formed or too long */
#define UIE_NO_SUCH_THREAD     -99   /* the thread has no event queue or has ended */

/* The text of an engine code ("Unknown error code." for a number the engine never returns).
 * The text is static; never free it. */
const char *GetUILErrorString(int errorCode);

/* ---- Control styles (kinds) --------------------------------------------------------------- */

#define CTRL_NUMERIC               100  /* numeric entry; value per ATTR_DATA_TYPE */
#define CTRL_VERTICAL_SLIDE        110  /* slide / indicator; numeric value */
#define CTRL_HORIZONTAL_SLIDE      112  /* slide / indicator (progress bars); numeric value */
#define CTRL_COLOR_NUMERIC         130  /* colour choice; int value 0x00RRGGBB */
#define CTRL_RAISED_FRAME          150  /* decoration: frame; no value */
#define CTRL_TEXT_MSG              160  /* text message; string value = the text shown */
#define CTRL_FLAT_FRAME            170  /* decoration: frame; no value */
#define CTRL_RAISED_BOX            180  /* decoration: box; no value */
#define CTRL_COMMAND_BUTTON        200  /* command button; no value; label inside */
#define CTRL_PICTURE_COMMAND_BUTTON 204 /* command button showing a picture */
#define CTRL_TOGGLE_BUTTON         210  /* toggle button; int value 0/1 */
#define CTRL_PICTURE_TOGGLE_BUTTON 235  /* toggle button showing a picture; int value 0/1 */
#define CTRL_RING                  300  /* ring (drop-down of items) */
#define CTRL_MENU_RING             301  /* ring drawn as a menu button */
#define CTRL_PICTURE_RING          318  /* ring of pictures, one per item */
#define CTRL_LIST_BOX              340  /* list box */
#define CTRL_RECESSED_FRAME        381  /* decoration: recessed frame; no value */
#define CTRL_STRING                400  /* string entry; string value */
#define CTRL_PICTURE               480  /* picture; no value */
#define CTRL_TIMER                 490  /* timer; invisible, no value; EVENT_TIMER_TICK */

/* ---- Values ------------------------------------------------------------------------------- */

/* Data types (ATTR_DATA_TYPE): how GetCtrlVal/SetCtrlVal and list-item values pass a value. */
#define VAL_CHAR              0  /* passed as int, stored as signed 8-bit */
#define VAL_INTEGER           1  /* int */
#define VAL_SHORT             2  /* passed as int, stored as 16-bit */
#define VAL_FLOAT             3  /* passed as double (float * for Get) */
#define VAL_DOUBLE            4  /* double */
#define VAL_STRING            5  /* char * (Get copies into the caller's buffer) */
#define VAL_UNSIGNED_SHORT    6
#define VAL_UNSIGNED_INTEGER  7
#define VAL_UNSIGNED_CHAR     8

#define VAL_TRANSPARENT   0x1000000     /* colour value: transparent */
#define VAL_AUTO_CENTER   ((int)0x80000000) /* label position / SetPanelPos: centre automatically */
#define VAL_BLACK   0x000000
#define VAL_WHITE   0xFFFFFF
#define VAL_LT_GRAY 0xCCCCCC
#define VAL_PANEL_GRAY 0xCCCCCC

/* Control modes (ATTR_CTRL_MODE). Only an indicator is 0: a control whose mode is 0 is never a
 * tab stop, and every mode that lets the operator act is non-zero. */
#define VAL_INDICATOR  0   /* display only: operator cannot change or focus it */
#define VAL_NORMAL     1   /* operator can change it; events */
#define VAL_HOT        3   /* like VAL_NORMAL, and EVENT_COMMIT on every change */

/* ---- Attributes ---------------------------------------------------------------------------
 * Each line: number, type as passed to Set.../Get... (int, double, string = char *,
 * pointer = void *), where it applies, default, and what is checked. Get... always takes a
 * pointer to the type (int *, double *, char * buffer large enough, void **). Setting a
 * read-only attribute gives UIE_READ_ONLY_ATTRIBUTE; a number the engine does not know
 * UIE_BAD_ATTRIBUTE; one that does not apply to the object UIE_WRONG_ATTRIBUTE; a value out of
 * its range UIE_BAD_VALUE. Booleans accept 0 and 1 only.
 *
 * Kept and read back, but not yet acted on by the displays (the window manager's decorations
 * come with the displays' support for them): ATTR_MOVABLE, ATTR_SIZABLE, ATTR_FLOATING and
 * ATTR_EXTRA_COLOR of top-level panels. ATTR_CLOSE_ITEM_VISIBLE 0 keeps the operator from
 * closing the panel (the window manager may still show a close box, which then presses the
 * panel's ATTR_CLOSE_CTRL, or else its control whose ATTR_SHORTCUT_KEY is VAL_ESC_VKEY: a
 * dialog's Cancel; with neither it does nothing); ATTR_HAS_TASKBAR_BUTTON_OFF
 * keeps the window off the task bar where the window system allows. ATTR_CHECKED waits for
 * menus. */
#define ATTR_DIMMED                500  /* int 0/1; panels, controls; 0. Dimmed controls take no input */
#define ATTR_CALLBACK_DATA         510  /* pointer; panels, controls; null */
#define ATTR_CALLBACK_FUNCTION_POINTER 513 /* pointer (the callback function); panels, controls; null */
#define ATTR_CALLBACK_NAME         514  /* string, read-only; name bound by LoadPanel ("" if none) */
#define ATTR_CALLBACK_NAME_LENGTH  515  /* int, read-only */
#define ATTR_CONSTANT_NAME         520  /* string, read-only; the resource constant name (e.g. "PANEL_LIST"; "" for NewCtrl/NewPanel) */
#define ATTR_CONSTANT_NAME_LENGTH  521  /* int, read-only */
#define ATTR_VISIBLE               530  /* int 0/1; panels (0 until DisplayPanel), controls (1) */
#define ATTR_LEFT                  531  /* int; panels, controls; as created. Moving a control moves its label */
#define ATTR_TOP                   532  /* int; likewise */
#define ATTR_WIDTH                 533  /* int >= 0; panels, controls; see NewCtrl */
#define ATTR_HEIGHT                540  /* int >= 0; likewise */
#define ATTR_FRAME_COLOR           550  /* int colour or VAL_TRANSPARENT; controls; VAL_LT_GRAY */
#define ATTR_TITLE                 560  /* string; panels; as created */
#define ATTR_TITLE_LENGTH          561  /* int, read-only; panels */
#define ATTR_BACKCOLOR             570  /* int colour; panels; VAL_PANEL_GRAY */
#define ATTR_TITLEBAR_VISIBLE      571  /* int 0/1; panels; 1 */
#define ATTR_EXTRA_COLOR           575  /* int colour; panels: the scheme's accent colour for pictures; 0x808080 */
#define ATTR_FRAME_THICKNESS       577  /* int 0..32; panels: border width in pixels; 2 */
#define ATTR_MOVABLE               580  /* int 0/1; panels; 1 */
#define ATTR_NUM_CTRLS             582  /* int, read-only; panels: number of controls */
#define ATTR_CLOSE_CTRL            592  /* int control ID or 0; panels: the control that gets EVENT_COMMIT when the operator closes the panel; 0 */
#define ATTR_SIZABLE               596  /* int 0/1; panels; 1 */
#define ATTR_SYSTEM_WINDOW_HANDLE  598  /* pointer, read-only; top-level panels: the display's window handle (headless: a unique non-null token; changes when the window is re-created) */
#define ATTR_CLOSE_ITEM_VISIBLE    602  /* int 0/1; panels: close box shown; 1 */
#define ATTR_PANEL_PARENT          606  /* int, read-only; panels: parent panel handle, 0 for top-level */
#define ATTR_FIRST_CHILD           608  /* int, read-only; panels: the frontmost child panel, 0 when it has none */
#define ATTR_NEXT_PANEL            609  /* int, read-only; panels: the sibling panel right behind it in z-order (same parent; top-level panels among top-level panels), 0 behind the last. With ATTR_FIRST_CHILD it walks a panel's children front to back */
#define ATTR_ZPLANE_POSITION       610  /* int >= 0; panels among their siblings (a new panel comes in front), controls within the panel (likewise); 0 = frontmost. Setting moves it there (values beyond the back go to the back); child panels are drawn back to front */
#define ATTR_CTRL_STYLE            611  /* int, read-only; controls: the CTRL_... style */
#define ATTR_PANEL_FIRST_CTRL      612  /* int, read-only on panels: first control in tab order, 0 when none */
#define ATTR_CTRL_TAB_POSITION     612  /* int >= 0 on controls: position in the tab order (0 first); setting moves it there */
#define ATTR_NEXT_CTRL             613  /* int, read-only; controls: next control in tab order, 0 after the last */
#define ATTR_ACTIVE                614  /* int, read-only; panels: 1 when it is the active (focused) visible top-level panel */
#define ATTR_FLOATING              615  /* int 0/1; panels: stays above other panels; 0 */
#define ATTR_HAS_TASKBAR_BUTTON_OFF 617 /* int 0/1; panels: 1 = no task-bar entry (tips, dialogs); 0 */
#define ATTR_CTRL_MODE             620  /* int VAL_INDICATOR (0) / VAL_NORMAL / VAL_HOT; controls with a value; VAL_NORMAL (text messages VAL_INDICATOR) */
#define ATTR_OWNER_THREAD_ID       630  /* int, read-only; panels: CurrThreadId of the owning thread */
#define ATTR_LABEL_TEXT            660  /* string; controls: the label (buttons: their caption; text messages: also their value) */
#define ATTR_LABEL_TEXT_LENGTH     661  /* int, read-only; controls */
#define ATTR_LABEL_LEFT            670  /* int or VAL_AUTO_CENTER; controls: label position (panel coordinates); default: at the control's left */
#define ATTR_LABEL_TOP             671  /* int or VAL_AUTO_CENTER; controls: default: just above the control. VAL_AUTO_CENTER centres the label vertically beside the control */
#define ATTR_LABEL_WIDTH           672  /* int, read-only; controls: measured label width */
#define ATTR_LABEL_HEIGHT          673  /* int, read-only; controls: measured label height (0 for an empty label) */
#define ATTR_TEXT_COLOR            680  /* int colour; controls; VAL_BLACK */
#define ATTR_TEXT_FONT_NAME_LENGTH 681  /* int, read-only; controls */
#define ATTR_TEXT_FONT             682  /* string, non-empty, < 256 chars; controls; "Dialog" */
#define ATTR_TEXT_ITALIC           683  /* int 0/1; controls; 0 */
#define ATTR_TEXT_UNDERLINE        684  /* int 0/1; controls; 0 */
#define ATTR_TEXT_STRIKEOUT        685  /* int 0/1; controls; 0 */
#define ATTR_TEXT_POINT_SIZE       686  /* int 1..512; controls; 13 */
#define ATTR_TEXT_BOLD             687  /* int 0/1; controls; 0 */
#define ATTR_TEXT_BGCOLOR          690  /* int colour or VAL_TRANSPARENT; controls; VAL_WHITE (a text message draws the panel's background until it is set) */
#define ATTR_DATA_TYPE             710  /* int VAL_CHAR..VAL_UNSIGNED_CHAR; controls with a value: numerics (VAL_DOUBLE; not VAL_STRING), lists (VAL_INTEGER; changing it clears the items); string, text message, colour, toggle: read-only */
#define ATTR_MAX_VALUE             730  /* in the control's data type (int for the integer types, double for VAL_FLOAT/VAL_DOUBLE; Get: pointer to the type); numerics: the type's largest value, slides: 100. Values are coerced into [min, max]; min > max gives UIE_BAD_VALUE */
#define ATTR_MIN_VALUE             731  /* likewise; numerics: the type's smallest value, slides: 0 */
#define ATTR_SHOW_DIGITAL_DISPLAY  737  /* int 0/1; slides; 1 */
#define ATTR_STRING_TEXT_LENGTH    770  /* int, read-only; string, text message: length of the value */
#define ATTR_MAX_ENTRY_LENGTH      771  /* int -1 or >= 0; string, numeric: most characters the operator may type (-1 no limit; default -1). Values set by the program are not cut */
#define ATTR_VISIBLE_LINES         821  /* int 1..100; list boxes; 5 (sets the height to 15 per line + 4) */
#define ATTR_SHOW_INCDEC_ARROWS    974  /* int 0/1; numerics, slides; 1 */
#define ATTR_FILL_COLOR            980  /* int colour or VAL_TRANSPARENT; slides: the track's part up to the value; 0x0000FF. Transparent: a marker shows the value alone, a plain bar (marker 0) is filled in the system highlight colour */
#define ATTR_MARKER_STYLE          982  /* int 0..3; slides: how the value is marked: 0 the track filled, 1 a pointer, 2 a thumb, 3 a progress bar of blocks in the highlight colour; 0 */
#define ATTR_TICK_STYLE            983  /* int 0..3; slides: 0 none, 1 ticks at the ends, 2 at every tenth, 3 the value in per cent of the range inside the track; 0 */
#define ATTR_SHOW_MORE_COLORS      996  /* int 0/1; colour numerics: the colour choice adds a row of greys to its standard colours and custom entry; 1 */
#define ATTR_SHORTCUT_KEY          1020 /* int key code or 0; controls: the key (with its modifiers) that presses the control wherever the panel's focus is (VAL_ENTER_VKEY, VAL_ESC_VKEY for a dialog's buttons); 0 */
#define ATTR_CHECKED               1040 /* int 0/1; menu items: the check mark. The engine's panels have no menus yet: on panels and controls it gives UIE_WRONG_ATTRIBUTE */
#define ATTR_INTERVAL              1270 /* double seconds >= 0; timers; 1.0. 0 ticks on every pass of the event loop. Setting it restarts the count */
#define ATTR_ENABLED               1271 /* int 0/1; timers; 1. Enabling restarts the count */

/* ---- Panels ------------------------------------------------------------------------------- */

/* Loads panel resourceId from a panel resource file (our .uir text format, described in
 * rte/model/uir_load.cpp). parentPanel 0 makes a top-level panel, else a child of that panel. A
 * relative fileName is looked up beside the program (/proc/self/exe's folder) first, then in
 * the installed program's share folder (<program folder>/../share/<program name>/, PREFIX/share/
 * QM7300_Test/ for PREFIX/bin/QM7300_Test), then in the current folder. Callback names bind
 * through the symbol table (RteSetSymbolTable).
 * Returns the new panel handle (> 0, hidden until DisplayPanel), or UIE_FILE_NOT_FOUND,
 * UIE_FILE_READ_ERROR, UIE_BAD_FILE_FORMAT, UIE_RESOURCE_NOT_FOUND, UIE_CALLBACK_NOT_FOUND,
 * UIE_BAD_PANEL (parent), UIE_NULL_POINTER, UIE_OUT_OF_MEMORY; nothing is made on failure. */
int LoadPanel(int parentPanel, const char *fileName, int resourceId);

/* Text describing the calling thread's latest LoadPanel failure ("file:line: what"), or "". */
const char *RteGetLoadPanelError(void);

/* Makes an empty hidden panel. Returns its handle, UIE_BAD_PANEL for a bad parent,
 * UIE_NULL_POINTER for a null title, UIE_OUT_OF_MEMORY. */
int NewPanel(int parentPanel, const char *title, int top, int left, int height, int width);

/* Discards a panel, its child panels and controls; each control's and then the panel's callback
 * receives EVENT_DISCARD first (children before parents). 0 or UIE_BAD_PANEL. */
int DiscardPanel(int panel);

/* Shows it (and its parents) and brings it to the front; the first panel shown opens the display
 * (rte/engine.h). A panel shown for the first time (here or by InstallPopup) makes its first
 * control in tab order that can take the focus its active control, unless SetActiveCtrl chose
 * one, without focus events. 0, UIE_BAD_PANEL, or UIE_NO_DISPLAY when the display cannot be
 * opened (as InstallPopup and MessagePopup then return too). */
int DisplayPanel(int panel);
int HidePanel(int panel);     /* hides it; 0 or UIE_BAD_PANEL */

/* Shows a top-level panel as a modal popup (input goes to it alone) until RemovePopup. On the
 * screen its window is modal for the program's other windows and kept in front of them: a click
 * or a key there brings the popup back to the front. 0, UIE_BAD_PANEL, UIE_NOT_TOP_LEVEL. */
int InstallPopup(int panel);
/* Removes the newest popup (panel 0) or a given one, and hides it. 0 or UIE_BAD_PANEL. */
int RemovePopup(int panel);

/* Moves a panel; VAL_AUTO_CENTER centres it (a top-level panel on the screen's usable area,
 * 1024x768 headless; a child panel in its parent). A shown window follows. 0 or UIE_BAD_PANEL. */
int SetPanelPos(int panel, int top, int left);

int SetPanelAttribute(int panel, int attribute, ...);               /* value as the attribute's type */
int GetPanelAttribute(int panel, int attribute, void *value);       /* value points to the type */

int InstallPanelCallback(int panel, PanelCallbackPtr callback, void *callbackData);

/* The panel with the focus among the visible top-level panels (0 when none). */
int GetActivePanel(void);

/* ---- Controls ----------------------------------------------------------------------------- */

/* Makes a control of the given CTRL_... style at (top, left) with a label. Default sizes:
 * width 100 (buttons: label width + 20), height 22 (text messages and labels: measured text;
 * list boxes: 5 lines; timers, 0x0). Returns the new control ID (the panel's largest + 1, and at
 * least 2, so that a list of control IDs may end with 0 or 1), UIE_BAD_PANEL, UIE_BAD_STYLE,
 * UIE_NULL_POINTER, UIE_OUT_OF_MEMORY. */
int NewCtrl(int panel, int style, const char *label, int top, int left);

/* Discards a control; its callback first receives EVENT_DISCARD. 0, UIE_BAD_PANEL or
 * UIE_BAD_CONTROL. */
int DiscardCtrl(int panel, int control);

int SetCtrlAttribute(int panel, int control, int attribute, ...);
int GetCtrlAttribute(int panel, int control, int attribute, void *value);

/* Sets/gets a control's value. String-valued controls (string, text message, lists of
 * VAL_STRING) take a const char * and give it into a char * buffer the caller sized; numerics,
 * colour numerics, toggles and numeric lists take the value as an int (VAL_CHAR..VAL_INTEGER,
 * VAL_UNSIGNED_...) or double (VAL_FLOAT, VAL_DOUBLE) and give it through a pointer to the data
 * type. For a list control the value is the selected item's value; SetCtrlVal selects the first
 * item with that value (UIE_BAD_VALUE when none). Numeric values are coerced into
 * [ATTR_MIN_VALUE, ATTR_MAX_VALUE]. Setting a value sends no event. Errors: UIE_BAD_PANEL,
 * UIE_BAD_CONTROL, UIE_NO_VALUE (buttons, frames, pictures, timers), UIE_LIST_EMPTY,
 * UIE_NULL_POINTER, UIE_OUT_OF_MEMORY. */
int SetCtrlVal(int panel, int control, ...);
int GetCtrlVal(int panel, int control, void *value);

int InstallCtrlCallback(int panel, int control, CtrlCallbackPtr callback, void *callbackData);

/* Makes a control the panel's active (focused) control, without focus events. 0,
 * UIE_BAD_PANEL, UIE_BAD_CONTROL. */
int SetActiveCtrl(int panel, int control);
/* The panel's active control, or 0 when none; UIE_BAD_PANEL. */
int GetActiveCtrl(int panel);

/* The rectangle that holds the control and its label. 0, UIE_BAD_PANEL, UIE_BAD_CONTROL;
 * null out-pointers are skipped. */
int GetCtrlBoundingRect(int panel, int control, int *top, int *left, int *height, int *width);

/* ---- List controls (list box, ring, menu ring, picture ring) -------------------------------
 * Items have a label and a value of the control's ATTR_DATA_TYPE. Indexes count from 0. The
 * selected item is the control's index (-1 only while the list is empty). Errors common to all:
 * UIE_BAD_PANEL, UIE_BAD_CONTROL, UIE_NOT_LIST_CONTROL, UIE_NULL_POINTER. */
int ClearListCtrl(int panel, int control);
/* Inserts before index (-1 appends). Value as for SetCtrlVal. UIE_INDEX_OUT_OF_RANGE,
 * UIE_OUT_OF_MEMORY. The first item inserted into an empty list becomes the selection. */
int InsertListItem(int panel, int control, int index, const char *label, ...);
/* Replaces label and value of one item; a null label keeps the old label. */
int ReplaceListItem(int panel, int control, int index, const char *label, ...);
/* Deletes count items from index (count -1: to the end). */
int DeleteListItem(int panel, int control, int index, int count);
int GetNumListItems(int panel, int control, int *count);
int GetCtrlIndex(int panel, int control, int *index);         /* -1 for an empty list */
int SetCtrlIndex(int panel, int control, int index);          /* no event */
int GetValueFromIndex(int panel, int control, int index, void *value);
int GetLabelFromIndex(int panel, int control, int index, char *label);  /* buffer sized by caller */
int GetLabelLengthFromIndex(int panel, int control, int index, int *length);
int GetValueLengthFromIndex(int panel, int control, int index, int *length); /* string values: strlen; others: 0 */
int GetIndexFromValue(int panel, int control, int *index, ...); /* first item with the value, -1 when none */

/* ---- Event loop ---------------------------------------------------------------------------- */

/* Runs the calling thread's event loop: delivers input, timer ticks, user events and deferred
 * calls, and waits (blocking, never spinning) until the next is due, until QuitUserInterface is
 * called on this thread. Returns the code given to QuitUserInterface, UIE_LOOP_RUNNING when
 * already running on this thread, or UIE_OUT_OF_MEMORY when memory ran out (the loop then ends;
 * queued work it had not started stays queued). On the main thread of a headless session with RTE_SCRIPT, the
 * operator script plays from here. */
int RunUserInterface(void);
/* Makes the calling thread's RunUserInterface return returnCode. Returns 0 (UIE_OUT_OF_MEMORY
 * when the thread's event queue could not be made). */
int QuitUserInterface(int returnCode);

/* Delivers everything pending on the calling thread (input, due timers, deferred calls) without
 * waiting, then returns 0, or UIE_OUT_OF_MEMORY (what it had not started stays queued). Queued
 * user events stay for GetUserEvent/RunUserInterface. */
int ProcessSystemEvents(void);

/* User events: numbers 1000 to 10000 queued to the panel's thread (the calling thread for panel
 * 0). The operator's commit of a control that has no callback (a click on a button, Enter, a
 * list's choice, the close box's ATTR_CLOSE_CTRL) is queued the same way, as EVENT_COMMIT with
 * its panel and control, so that a program running its own loop learns of it. GetUserEvent
 * takes the oldest one of the calling thread, first processing what is pending (window input,
 * timers, deferred calls): with waitMode 0 once, returning at once when nothing came (a loop
 * around it sets its own pace); otherwise it waits, blocking, until one comes. It returns the
 * event number and stores panel and control (null pointers skipped), 0 when none came, or
 * UIE_OUT_OF_MEMORY. RunUserInterface delivers user events to the control's callback (panel's
 * for control 0) with the number as the event, and drops the commit reports. QueueUserEvent
 * gives 0, UIE_BAD_USER_EVENT, UIE_BAD_PANEL, UIE_BAD_CONTROL, UIE_OUT_OF_MEMORY. */
int QueueUserEvent(int eventNumber, int panel, int control);
int GetUserEvent(int waitMode, int *panel, int *control);

/* ---- Popups, menus, mouse, dropped files ------------------------------------------------------------------- */

/* A message box with an OK button. Headless: prints "POPUP <title>: <message>" on stderr and
 * returns as if OK was pressed. Returns 0, UIE_NULL_POINTER, or UIE_NO_DISPLAY (as
 * DisplayPanel; nothing is shown then). */
int MessagePopup(const char *title, const char *message);

/* 1 while a menu of the engine is open (a popup menu of RteTrackPopupMenu,
 * rte/system_windows.h; the panels have no menu bars), else 0. */
int MenuIsOpen(void);

/* The pointer position relative to a panel (control 0) or control, and the button states
 * (1 = down); null out-pointers skipped. 0, UIE_BAD_PANEL, UIE_BAD_CONTROL. On the screen
 * display this is the real pointer, also outside the control and outside the window (where it
 * left the window, or where it is while a button is held); on the headless display the pointer
 * that operator scripts move (move, button) and tests set. */
int GetRelativeMouseState(int panel, int control, int *x, int *y, int *leftButton,
                          int *rightButton, int *keyModifiers);

/* During an EVENT_DROP callback: the number of dropped paths and path i (0-based),
 * null outside the callback or for a bad index. */
int RteGetDroppedFileCount(void);
const char *RteGetDroppedFile(int index);

#ifdef __cplusplus
}
#endif

#endif
