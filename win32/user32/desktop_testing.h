// win32/user32/desktop_testing.h - for tests (C++): keep the desktop out of reach, so that the
// settings go to the registry model whatever the machine offers.
#ifndef WIN32_USER32_DESKTOP_TESTING_H
#define WIN32_USER32_DESKTOP_TESTING_H

namespace win32::desktop::testing {

void IgnoreDesktop(bool ignore);

}  // namespace win32::desktop::testing

#endif
