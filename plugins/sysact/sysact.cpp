// Sysact.pzt: the system commands (sysact_plugin.h), built on the SDK.

#include "sysact_plugin.h"

ZT_REGISTER_PLUGIN(zt::TztPlgSysact)
