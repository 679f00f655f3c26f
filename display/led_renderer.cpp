#include "display/led_renderer.h"
