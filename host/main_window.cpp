#include "host/main_window.h"
