/* app/QM7300_Test.h - the test panel of the QM7300 test utility: the panel's resource ID, the
 * IDs of its controls (as in QM7300_Test.uir) and the callbacks the panel names.
 *
 * Plain C. The panel file binds its command buttons to the callbacks by name: "list", "read",
 * "write", "swversion" and "close".
 *
 * Porting: on this platform the C library owns the link-time names read, write and close, and
 * every library in the process (the C++ runtime, the engine's file code) calls them. A program
 * defining functions of those names would take them over for the whole process. The three
 * callbacks therefore keep their names in C but are linked as QM7300_Test_read,
 * QM7300_Test_write and QM7300_Test_close (an assembler label on the prototype); the panel
 * still binds them as "read", "write" and "close" through the program's symbol table. A C file
 * that includes this header must not also include <unistd.h>.
 */
#ifndef APP_QM7300_TEST_H
#define APP_QM7300_TEST_H

#ifdef __cplusplus
extern "C" {
#endif

/* Panel resource ID of the test panel in QM7300_Test.uir. */
#define PANEL 1

/* Controls the program addresses. */
#define PANEL_STATUS        2   /* status line: error texts of the commands (string indicator) */
#define PANEL_DEVICES       3   /* device list; each item's value is the device name */
#define PANEL_WRITE_FOCUS   4   /* the Write button; gets the focus back after a write */
#define PANEL_LIST          5   /* "List devices" button: callback list */
#define PANEL_READ          6   /* "Read ports" button: callback read */
#define PANEL_SWVERSION     7   /* "Version" button: callback swversion */
#define PANEL_QUIT          8   /* "Quit" button: callback close */
#define PANEL_VERSION       9   /* version text of the device library */
#define PANEL_DEVICE_COUNT  10  /* device count reported by the library */
#define PANEL_PORT1_WRITE   11  /* value to write to port 17 ("Port1"), at most 27 characters */
#define PANEL_PORT0_WRITE   12  /* value to write to port 16 ("Port0"), at most 27 characters */
#define PANEL_PORT17_READ   13  /* value read from port 17 */
#define PANEL_PORT16_READ   14  /* value read from port 16 */
#define PANEL_PORT1_READ    15  /* value read from port 1 */
#define PANEL_PORT0_READ    16  /* value read from port 0 */
#define PANEL_DEVICE_FRAME  17  /* decorations: the device, read and write groups */
#define PANEL_READ_FRAME    18
#define PANEL_WRITE_FRAME   19

/* ---- Program entry ---------------------------------------------------------------------- */

/* Loads panel PANEL from "QM7300_Test.uir", shows it and runs the event loop until "close";
 * returns 0 then, or -1 when the engine cannot start or the panel cannot be loaded (nothing is
 * shown). Only hInstance is used. */
int WinMain(void *hInstance, void *hPrevInstance, char *lpszCmdLine, int nCmdShow);

/* ---- Panel callbacks (control callbacks; all return 0) ---------------------------------- */

/* On EVENT_COMMIT ends the event loop (QuitUserInterface(0)); other events do nothing. */
int close(int panel, int control, int event, void *callbackData, int eventData1, int eventData2) __asm__("QM7300_Test_close");

/* On EVENT_COMMIT lists the devices into PANEL_DEVICES and their count into PANEL_DEVICE_COUNT;
 * "Error reading Devices" in PANEL_STATUS when the library cannot list them. */
int list(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

/* On EVENT_COMMIT reads ports 0, 1, 16 and 17 of the selected device into their controls; the
 * first failure's text goes to PANEL_STATUS and ends the command. */
int read(int panel, int control, int event, void *callbackData, int eventData1, int eventData2) __asm__("QM7300_Test_read");

/* On every event clears PANEL_STATUS; on EVENT_COMMIT writes PANEL_PORT0_WRITE to port 16 and
 * PANEL_PORT1_WRITE to port 17 of the selected device (each 0-255), stopping at the first
 * failure with its message in PANEL_STATUS. */
int write(int panel, int control, int event, void *callbackData, int eventData1, int eventData2) __asm__("QM7300_Test_write");

/* On EVENT_COMMIT shows the selected device's version text in PANEL_VERSION; nothing on failure. */
int swversion(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

#ifdef __cplusplus
}
#endif

#endif
