// toolbox/windows/registry_testing.h - a hook for tests (C++): a function run between the two
// enumerations of RegEnumerateValue, to change the value meanwhile.
#ifndef TOOLBOX_WINDOWS_REGISTRY_TESTING_H
#define TOOLBOX_WINDOWS_REGISTRY_TESTING_H

namespace toolbox::testing {

void SetBetweenEnumerationsHook(void (*hook)());

}  // namespace toolbox::testing

#endif
