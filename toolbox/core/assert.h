/* toolbox/core/assert.h - the library's assertion for programming errors.
 *
 * A null pointer where a contract forbids one, or an invalid attribute, is a programming error,
 * not a result: the library stops the program with a modal popup titled "Assert" that names the
 * message, the source line and the file, then aborts. The checks are active in every build.
 */
#ifndef TOOLBOX_CORE_ASSERT_H
#define TOOLBOX_CORE_ASSERT_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Assertions ---------------------------------------------------------------------------- */

/* Returns at once when `passed` is non-zero. Otherwise shows
 *   "Assert!\n\n<message>\n\nThe error was detected on line <lineNumber> of file '<fileName>'.\n\nProgram aborting."
 * with the engine's MessagePopup under the title "Assert" (on the headless display the text
 * goes to standard error; if the popup cannot be shown the text is written there as well), then
 * calls abort(). A null message reads "Programming error detected.", a null file name "".
 * The message may be of any length: the whole text is shown, never cut short or overrun. */
void DoAssert(int passed, const char *fileName, int lineNumber, const char *message);

#ifdef __cplusplus
}
#endif

#endif
