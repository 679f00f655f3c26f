#include "common/timer.h"
