// toolbox/ui/bole_scope_internal.h - break-on-library-errors switched off for a scope
// (library-internal, C++), for engine calls that may fail in ordinary use.
#ifndef TOOLBOX_UI_BOLE_SCOPE_INTERNAL_H
#define TOOLBOX_UI_BOLE_SCOPE_INTERNAL_H

#include "toolbox/core/errors.h"

namespace toolbox::internal {

// Switches the setting off when made and restores the old one on every way out.
class BoleOff {
public:
    BoleOff() : old_(SetBOLE(0)) {}
    ~BoleOff() { SetBOLE(old_); }
    BoleOff(const BoleOff &) = delete;
    BoleOff &operator=(const BoleOff &) = delete;

private:
    int old_;
};

}  // namespace toolbox::internal

#endif
