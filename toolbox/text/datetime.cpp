// toolbox/text/datetime.cpp - date and time texts in the user's format (see datetime.h).
#include "toolbox/text/datetime.h"

#include <locale.h>

#include "rte/files.h"
#include "toolbox/core/errors.h"

namespace {

// Engine codes returned for failed file queries.
constexpr int kOutOfMemory = -12;
constexpr int kIoError = -93;
constexpr int kFileNotFound = -94;

// Maps a failure of the engine's file date or time call to this family's codes.
int MapFileError(int engineResult) {
    switch (engineResult) {
        case -1: return kFileNotFound;
        case -4: return kOutOfMemory;
        default: return kIoError;
    }
}

// Formats t with strftime's `format` under the environment's time locale. A locale object of
// its own (rather than switching the process's LC_TIME there and back with setlocale) gives the
// same text without touching state that other threads or the caller may be using.
int FormatInEnvironmentLocale(time_t t, const char *format, char *buffer, int size) {
    if (buffer == nullptr || size < 1) return 0;
    struct tm local;
    if (localtime_r(&t, &local) == nullptr) return 0;
    locale_t timeLocale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    size_t count;
    if (timeLocale != static_cast<locale_t>(nullptr)) {
        count = strftime_l(buffer, static_cast<size_t>(size), format, &local, timeLocale);
        freelocale(timeLocale);
    } else {
        count = strftime(buffer, static_cast<size_t>(size), format, &local);
    }
    return static_cast<int>(count);
}

int FormatLocaleTime(time_t t, char *buffer, int size) {
    return FormatInEnvironmentLocale(t, "%X", buffer, size);
}

int FormatLocaleDate(time_t t, char *buffer, int size) {
    return FormatInEnvironmentLocale(t, "%x", buffer, size);
}

// Shared body of InternationalFileTime and InternationalFileDate.
int FormatFileTime(const char *fileName, char *buffer, int size, int (*format)(time_t, char *, int)) {
    time_t t = -1;
    int result = GetFileCLibTime(fileName, &t);
    if (result <= 0) return result;
    return format(t, buffer, size);
}

}  // namespace

int GetFileCLibTime(const char *fileName, time_t *time) {
    const int oldBreak = SetBOLE(0);
    int month = 0, day = 0, year = 0, hours = 0, minutes = 0, seconds = 0;
    int result = GetFileDate(fileName, &month, &day, &year);
    if (result != 0) {
        result = MapFileError(result);
    } else if ((result = RteGetFileTime(fileName, &hours, &minutes, &seconds)) != 0) {
        result = MapFileError(result);
    } else {
        struct tm calendar = {};
        calendar.tm_sec = seconds;
        calendar.tm_min = minutes;
        calendar.tm_hour = hours;
        calendar.tm_mday = day;
        calendar.tm_mon = month - 1;
        calendar.tm_year = year - 1900;
        calendar.tm_isdst = -1;  // let the C library decide whether daylight saving applies
        time_t t = mktime(&calendar);
        if (time != nullptr) *time = t;
        result = t != static_cast<time_t>(-1) ? 1 : 0;
    }
    SetBOLE(oldBreak);
    return result;
}

int InternationalFileTime(const char *fileName, char *buffer, int bufferSize) {
    return FormatFileTime(fileName, buffer, bufferSize, FormatLocaleTime);
}

int InternationalFileDate(const char *fileName, char *buffer, int bufferSize) {
    return FormatFileTime(fileName, buffer, bufferSize, FormatLocaleDate);
}

int InternationalTime(char *buffer, int bufferSize) {
    return FormatLocaleTime(time(nullptr), buffer, bufferSize);
}

int InternationalDate(char *buffer, int bufferSize) {
    return FormatLocaleDate(time(nullptr), buffer, bufferSize);
}
