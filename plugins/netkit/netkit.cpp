// Netkit.pzt: sets the computer's clock from an SNTP server (netkit_plugin.h), built on the
// SDK.

#include "netkit_plugin.h"

ZT_REGISTER_PLUGIN(zt::TztPlgNetkit)
