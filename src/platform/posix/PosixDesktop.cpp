// Off Windows, AirMail runs under Wine and its windows are out of this
// program's reach: there is no system desktop to drive.  The simulated
// desktop (platform/sim) stands in for it.

#include "platform/Desktop.h"

namespace tw::platform {

std::unique_ptr<IDesktop> MakeSystemDesktop() { return nullptr; }

}  // namespace tw::platform
