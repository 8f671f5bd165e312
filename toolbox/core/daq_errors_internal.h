// toolbox/core/daq_errors_internal.h - lookup of the data-acquisition driver's status texts
// (internal to the library; GetGeneralErrorString is the public way in).
#ifndef TOOLBOX_CORE_DAQ_ERRORS_H
#define TOOLBOX_CORE_DAQ_ERRORS_H

namespace toolbox {

// "<status name>: <description> " for a status code of the driver, or null when the table has
// no entry for exactly this code. The texts are constant.
const char *DaqErrorText(short code);

}  // namespace toolbox

#endif
