// app/device_list_scan.cpp - bounded scan of one device list entry (see device_list_scan.h).
#include "app/device_list_scan.h"

#include <cctype>

int ScanDeviceListEntry(const char *text, char *name, size_t nameSize, char *rest,
                        size_t restSize)
{
    const char *p = text;
    if (*p == '\0')
        return -1;  // the scan meets the end before its first conversion
    if (*p == ',')
        return 0;   // an empty name does not match

    size_t n = 0;
    for (; *p != '\0' && *p != ','; p++)
        if (n + 1 < nameSize)
            name[n++] = *p;
    name[n] = '\0';
    if (*p != ',')
        return 1;

    for (p++; isspace((unsigned char)*p); p++) {
    }
    if (*p == '\0')
        return 1;
    n = 0;
    for (; *p != '\0' && !isspace((unsigned char)*p); p++)
        if (n + 1 < restSize)
            rest[n++] = *p;
    rest[n] = '\0';
    return 2;
}
