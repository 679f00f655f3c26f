#include "host/custom_zentik.h"
