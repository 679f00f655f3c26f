#include "display/led_geometry.h"
