#include "host/startup.h"
