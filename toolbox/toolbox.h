/* toolbox/toolbox.h - the utility library's public interface (plain C, usable from C and C++).
 *
 * Every exported function of the library, grouped by family; each family's header lists its
 * functions with their contracts. Include this header and link toolbox::toolbox (CMake) or
 * `pkg-config --libs toolbox`.
 *
 *   toolbox/core/errors.h              error codes (TOOLBOX_ERR_...), error texts, SetBOLE
 *   toolbox/core/assert.h              DoAssert, the stop for programming errors
 *   toolbox/core/thread_state.h        ToolboxInit, the panels-with-linked-callbacks variable
 *   toolbox/text/strings.h             heap strings, white space, bounded copies, comparisons (AppendString, ...)
 *   toolbox/text/int_parse.h           strict whole-string integer parsers (StrToInt, StrToUInt)
 *   toolbox/text/text_data.h           binary data as six-bit printable text (ConvertDataToText, ...)
 *   toolbox/text/mbstrings.h           double-byte-safe character helpers (Cmb...)
 *   toolbox/text/number_locale.h       decimal point <-> user's separator (LocalizeNumberString, ...)
 *   toolbox/text/datetime.h            time and date texts in the user's format (InternationalTime, ...)
 *   toolbox/containers/handles.h       relocatable memory handles (NewHandle, SetHandleSize, ...)
 *   toolbox/containers/list.h          the list container (ListCreate, ListInsertItem, ...)
 *   toolbox/containers/sort.h          sorting and searching of arrays and lists, comparisons
 *   toolbox/containers/list_output.h   printing lists to a stream (OutputList, ...)
 *   toolbox/numeric/array_convert.h    type-code arrays: conversion, transposition, sizes
 *   toolbox/numeric/units.h            mathematical and physical constants, unit conversions
 *   toolbox/numeric/fp_compare.h       tolerant comparison of doubles (FP_EQ, ...), Pin
 *   toolbox/numeric/random.h           per-thread random numbers (Random, SetRandomSeed)
 *   toolbox/files/file_utils.h         files by name, stream size, search, strings, lines, CR-LF text
 *   toolbox/files/paths.h              path names: file name, extension, new extension or name
 *   toolbox/files/bitmap_files.h       bitmaps, controls and panels saved as BMP files
 *   toolbox/ui/layout.h                control layout: group attributes, spacing, placing, order
 *   toolbox/ui/tab_order.h             tab-order walks, tab stops, control lists
 *   toolbox/ui/ctrl_helpers.h          quiet discards, radio groups, string values, typed attributes, event names
 *   toolbox/ui/ring_sizing.h           rings sized to their longest label
 *   toolbox/ui/bitmap_colours.h        picture images recoloured to the panel's colour scheme
 *   toolbox/ui/progress_dialog.h       a progress dialog with a cancel button
 *   toolbox/ui/colour_popup.h          a popup editing a list of named colours
 *   toolbox/ui/callback_chain.h        callbacks chained in front of a control's or panel's own, live objects
 *   toolbox/ui/tool_tips.h             tool tips on controls (SetCtrlToolTipAttribute)
 *   toolbox/ui/mouse_events.h          pointer moves and button releases for a control's callback
 *   toolbox/ui/ui_services.h           recessed frames, metafont information, accelerator escapes, closest colour
 *   toolbox/windows/deferred_calls.h   delayed calls, calls on another thread with a wait
 *   toolbox/windows/registry.h         one-call registry values (RegWriteString, RegReadULong, ...)
 *   toolbox/windows/system_info.h      machine facts and desktop settings (GetCompName, GetDiskSpace, ...)
 *   toolbox/windows/system_dlls.h      functions reached by loading their module (CallGetDiskFreeSpaceEx)
 *   toolbox/windows/speaker.h          a tone on the PC speaker (StartPCSound, StopPCSound)
 *   toolbox/windows/win_msg_callbacks.h  callbacks for window messages of a panel (InstallWinMsgCallback, ...)
 *   toolbox/windows/shell_services.h   dropped files, documents in their application, HTML help
 *   toolbox/windows/tray_icons.h       notification-area icons with a menu (InstallSysTrayIcon, ...)
 */
#ifndef TOOLBOX_TOOLBOX_H
#define TOOLBOX_TOOLBOX_H

#include "rte/rte.h"
#include "toolbox/core/errors.h"
#include "toolbox/core/assert.h"
#include "toolbox/core/thread_state.h"
#include "toolbox/text/strings.h"
#include "toolbox/text/int_parse.h"
#include "toolbox/text/text_data.h"
#include "toolbox/text/mbstrings.h"
#include "toolbox/text/number_locale.h"
#include "toolbox/text/datetime.h"
#include "toolbox/containers/handles.h"
#include "toolbox/containers/list.h"
#include "toolbox/containers/sort.h"
#include "toolbox/containers/list_output.h"
#include "toolbox/numeric/array_convert.h"
#include "toolbox/numeric/units.h"
#include "toolbox/numeric/fp_compare.h"
#include "toolbox/numeric/random.h"
#include "toolbox/files/file_utils.h"
#include "toolbox/files/paths.h"
#include "toolbox/files/bitmap_files.h"
#include "toolbox/ui/layout.h"
#include "toolbox/ui/tab_order.h"
#include "toolbox/ui/ctrl_helpers.h"
#include "toolbox/ui/ring_sizing.h"
#include "toolbox/ui/bitmap_colours.h"
#include "toolbox/ui/progress_dialog.h"
#include "toolbox/ui/colour_popup.h"
#include "toolbox/ui/callback_chain.h"
#include "toolbox/ui/tool_tips.h"
#include "toolbox/ui/mouse_events.h"
#include "toolbox/ui/ui_services.h"
#include "toolbox/windows/deferred_calls.h"
#include "toolbox/windows/registry.h"
#include "toolbox/windows/system_info.h"
#include "toolbox/windows/system_dlls.h"
#include "toolbox/windows/speaker.h"
#include "toolbox/windows/win_msg_callbacks.h"
#include "toolbox/windows/shell_services.h"
#include "toolbox/windows/tray_icons.h"

#endif
