/* toolbox/toolbox.h - the utility library's public interface (plain C, usable from C and C++).
 *
 * Every exported function of the library, grouped by family; each family's header lists its
 * functions with their contracts. Include this header and link toolbox::toolbox (CMake) or
 * `pkg-config --libs toolbox`.
 *
 *   toolbox/text/int_parse.h    strict whole-string integer parsers (StrToInt, StrToUInt)
 *   toolbox/text/text_data.h    binary data as six-bit printable text (ConvertDataToText, ...)
 */
#ifndef TOOLBOX_TOOLBOX_H
#define TOOLBOX_TOOLBOX_H

#include "rte/rte.h"
#include "toolbox/text/int_parse.h"
#include "toolbox/text/text_data.h"

#endif
