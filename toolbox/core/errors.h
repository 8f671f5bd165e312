/* toolbox/core/errors.h - the library's error codes and the texts of every error code.
 *
 * Library functions report failures as negative int codes. Three families share one text
 * lookup: the engine's user-interface library codes (absolute value below 1000; texts from the
 * engine), the library's own TOOLBOX_ERR_ codes (5000 range, and 6000), and data-acquisition
 * driver status codes (10000 range). Allocation failures are reported with the engine's -12.
 * The texts returned are constant and owned by the library: never free or change them.
 */
#ifndef TOOLBOX_CORE_ERRORS_H
#define TOOLBOX_CORE_ERRORS_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Error codes --------------------------------------------------------------------------- */

#define TOOLBOX_ERR_OPEN_FOR_READING            (-5001)
#define TOOLBOX_ERR_READING_FILE                (-5002)
#define TOOLBOX_ERR_NO_UNUSED_TEMP_NAME         (-5003)
#define TOOLBOX_ERR_CREATE_TEMP_FILE            (-5004)
#define TOOLBOX_ERR_FILE_FORMAT                 (-5005)
#define TOOLBOX_ERR_UNEXPECTED_EOF              (-5006)
#define TOOLBOX_ERR_INVALID_INTEGER             (-5021)
#define TOOLBOX_ERR_INVALID_UNSIGNED            (-5022)
#define TOOLBOX_ERR_INVALID_FLOAT               (-5023)
#define TOOLBOX_ERR_INVALID_BOOLEAN             (-5024)
#define TOOLBOX_ERR_MISSING_SECTION             (-5025)
#define TOOLBOX_ERR_MISSING_ITEM                (-5026)
#define TOOLBOX_ERR_UNRECOGNIZED_VALUE          (-5027)
#define TOOLBOX_ERR_OPERATION_IN_PROGRESS       (-5050)
#define TOOLBOX_ERR_TOO_MANY_ITEMS              (-5051)
#define TOOLBOX_ERR_DUPLICATE                   (-5052)
#define TOOLBOX_ERR_NOT_CHILD_PANEL             (-5060)
#define TOOLBOX_ERR_REG_OPEN_KEY                (-5065)
#define TOOLBOX_ERR_REG_SET_VALUE               (-5066)
#define TOOLBOX_ERR_REG_ACCESS_VALUE            (-5067)
#define TOOLBOX_ERR_REG_NO_VALUE                (-5068)
#define TOOLBOX_ERR_REG_VALUE_TYPE              (-5069)
#define TOOLBOX_ERR_REG_NO_KEY                  (-5070)
#define TOOLBOX_ERR_OUT_OF_MEMORY               (-5071)
#define TOOLBOX_ERR_INVALID_DISPLAY_ITEM        (-5075)
#define TOOLBOX_ERR_MSG_CALLBACK_NOT_INSTALLED  (-5080)
#define TOOLBOX_ERR_MSG_CALLBACK_INSTALLED      (-5081)
#define TOOLBOX_ERR_PANEL_NOT_TOP_LEVEL         (-5082)
#define TOOLBOX_ERR_NO_PANEL_CALLBACK           (-5083)
#define TOOLBOX_ERR_DRAG_DROP_NOT_ENABLED       (-5084)
#define TOOLBOX_ERR_MSG_CALLBACK_MODE           (-5085)
#define TOOLBOX_ERR_NO_TRAY_MENU                (-5087)
#define TOOLBOX_ERR_INVALID_TRAY_MENU_ITEM      (-5088)
#define TOOLBOX_ERR_INVALID_TRAY_ICON           (-5089)
#define TOOLBOX_ERR_LOAD_ICON                   (-5090)
#define TOOLBOX_ERR_LOAD_SYSTEM_DLL             (-5093)
#define TOOLBOX_ERR_SYSTEM_FUNCTION_NOT_FOUND   (-5094)
#define TOOLBOX_ERR_SYSTEM                      (-5095)
#define TOOLBOX_ERR_LANGUAGE_FILE               (-6000)

/* ---- Error texts --------------------------------------------------------------------------- */

/* Text of a library code of the 5000 range; the sign is ignored (5001 and -5001 agree).
 * A code without a text of its own gives "No description available. ". Never null. */
const char *GetToolboxErrorString(int errorCode);

/* Text of any code, by its absolute value: below 1000 the engine's GetUILErrorString(code);
 * 5000-5999 GetToolboxErrorString(code); 6000 "Invalid or corrupt language file";
 * 10000-10999 the data-acquisition status text of the code taken as a 16-bit value (or of its
 * negation when the code itself has no entry); otherwise "No description available. ".
 * Never null. */
const char *GetGeneralErrorString(int errorCode);

/* ---- Break on library errors ----------------------------------------------------------------- */

/* Switch the engine's break-on-library-errors setting on (non-zero) or off (0) and return the
 * setting before the call. Library code brackets engine calls that may fail in ordinary use with
 * old = SetBOLE(0); ...; SetBOLE(old); on every path. Process-wide; takes no lock. */
int SetBOLE(int on);

#ifdef __cplusplus
}
#endif

#endif
