#pragma once

#include "camlib/CamLib.h"

#include <glib.h>

namespace Tevold::Aravis {

// The camera library result for a failed Aravis register access, in the range the producer's
// register result table reads: time-out, access denied, not implemented, busy, invalid address,
// gone, or an I/O failure for anything else.
CamResult RegisterResultOf(const GError* error);

}  // namespace Tevold::Aravis
