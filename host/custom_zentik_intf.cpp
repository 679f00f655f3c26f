#include "host/custom_zentik_intf.h"
