/* toolbox/ui/progress_dialog.h - a ready-made dialog for long operations: a titled panel with a
 * labelled 0-to-100 indicator and, optionally, a cancel button.
 *
 *     int dialog = CreateProgressDialog("Copying", "Files copied", 1, 3, "__Cancel");
 *     for (int i = 0; i < n; i++) {
 *         CopyOne(i);
 *         if (UpdateProgressDialog(dialog, 100 * (i + 1) / n, 1) == 1) break;  // cancelled
 *     }
 *     DiscardProgressDialog(dialog);
 *
 * Nothing runs in the background: the dialog is redrawn, and its cancel button seen, only when a
 * report processes events. The cancel button is also pressed by Escape; the dialog has no close
 * box. A report that changes nothing costs no drawing.
 *
 * Threads. All calls come from the thread that made the dialog: its event loop redraws it and
 * sees its button. The dialog finds its own record through its panel's callback chain, so tool
 * tips on its button or window-message callbacks on its panel (which chain callbacks of their
 * own) leave it working.
 */
#ifndef TOOLBOX_UI_PROGRESS_DIALOG_H
#define TOOLBOX_UI_PROGRESS_DIALOG_H

#ifdef __cplusplus
extern "C" {
#endif

#define PROGRESS_DIALOG_WIDTH 328

/* Makes and shows the dialog, centred on the screen: as a modal popup when popup is non-zero
 * (InstallPopup; the program's other panels take no input while it is up), else as an ordinary
 * panel. markerStyle is the indicator's ATTR_MARKER_STYLE (3: a progress bar of blocks, with
 * the value in per cent written in it). cancelLabel NULL makes no cancel button; "" makes one
 * that stays outside the panel, out of sight. Returns the dialog's panel handle, or
 * UIE_OUT_OF_MEMORY (-12) or the engine's code of a panel or control that could not be made
 * (nothing is left behind then). */
int CreateProgressDialog(const char *title, const char *indicatorLabel, int popup, int markerStyle,
                         const char *cancelLabel);

/* Shows percent (kept within 0..100) and, with processEvents set, lets the engine process
 * events (ProcessSystemEvents): the dialog is redrawn and a press of its cancel button seen.
 * 1 when the cancel button was pressed since the previous report (each press is reported once),
 * 0 when not, also for a handle of 0 or less; the engine's code for a dialog that is gone. Never
 * raises the engine's error break. */
int UpdateProgressDialog(int dialog, int percent, int processEvents);

/* Discards the dialog. A handle of 0 or less, or one already discarded, does nothing. */
void DiscardProgressDialog(int dialog);

#ifdef __cplusplus
}
#endif

#endif
