// app/device_list_scan.h - splitting the device list text of the QM7300 library into names.
// Internal to the test panel program.
#ifndef APP_DEVICE_LIST_SCAN_H
#define APP_DEVICE_LIST_SCAN_H

#include <cstddef>

// Reads one entry of a device list text ("name,name,..."), as the scan "%[^,],%s" would, but
// never writes past either buffer:
//   name  everything up to the first comma (blanks kept); at least one character.
//   rest  after that comma, white space skipped, the text up to the next white space.
// Returns -1 for an empty text, 0 when it starts with a comma, 1 when only a name was found
// (no comma, or nothing but white space after it), 2 when a name and a rest were found.
// A name or rest too long for its buffer is cut to nameSize-1 / restSize-1 characters, and
// the scan still goes on past all of it, so the entries after an over-long name are kept.
int ScanDeviceListEntry(const char *text, char *name, size_t nameSize, char *rest,
                        size_t restSize);

#endif
