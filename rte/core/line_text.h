// rte/core/line_text.h - the word and TEXT rules shared by operator scripts and panel resource
// files (internal).
//
// A word is a run of characters other than blanks and tabs. A TEXT argument is the rest of the
// line after the words before it, taken verbatim, or a double-quoted string in which \" \\ \t
// and \n stand for a quote, a backslash, a tab and a newline; nothing but blanks may follow the
// closing quote.
#ifndef RTE_CORE_LINE_TEXT_H
#define RTE_CORE_LINE_TEXT_H

#include <string>

namespace rte::internal {

// Takes the next word from line at *pos (skipping blanks before it). False when none is left.
bool NextWord(const std::string &line, size_t *pos, std::string *word);

// Parses the TEXT argument starting at pos (blanks before it skipped). False with a reason in
// *error for a malformed quoted string.
bool ParseText(const std::string &line, size_t pos, std::string *text, std::string *error);

// Takes the next NAME from line at *pos: a word, or a double-quoted string with the escapes of
// TEXT, after which more words may follow. False when none is left (*error empty) or for a
// malformed quoted string (*error says why).
bool NextName(const std::string &line, size_t *pos, std::string *name, std::string *error);

// Whether only blanks remain from pos.
bool AtEnd(const std::string &line, size_t pos);

}  // namespace rte::internal

#endif
