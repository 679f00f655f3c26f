#include "display/lcd_panel.h"
