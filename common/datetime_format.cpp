#include "common/datetime_format.h"
