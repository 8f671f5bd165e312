// rte/model/list_format.h - the formatting codes of list item labels (internal, C++): an escape
// character (code 27) starts a code that places, colours or draws instead of showing text.
//
//   \033p<n>l                 the text after it starts n pixels from the start of the line
//   \033fg<rrggbb>            the text after it is drawn in that colour (six hex digits)
//   \033drawfilledbox<www><rrggbb>
//                             a box www pixels wide (three digits) filled with that colour, as
//                             high as the line allows; the text after it follows the box
//
// Any other code, or a code cut short, is shown as nothing: the escape character, the lowercase
// letters after it and the hex digits after those are dropped. The renderer draws list boxes by
// these segments; operator scripts and the test interface show an item by its visible text.
#ifndef RTE_MODEL_LIST_FORMAT_H
#define RTE_MODEL_LIST_FORMAT_H

#include <string>
#include <vector>

namespace rte::internal {

struct LineSegment {
    bool box = false;       // a filled box (else text)
    std::string text;       // the text of a text segment
    int column = -1;        // a position code before it: the pen goes to this x (-1: it follows on)
    int color = -1;         // text: the colour set before it (-1: the list's own); box: its fill
    int width = 0;          // box width
};

// Whether a label holds formatting codes at all (labels without them are drawn as they are).
bool HasFormatCodes(const std::string &label);
// The label as segments, in order; a label without codes is one text segment.
std::vector<LineSegment> ParseListLine(const std::string &label);
// The text an operator reads in the label: its text segments joined, the codes left out.
std::string VisibleListText(const std::string &label);

}  // namespace rte::internal

#endif
