#include "host/command_line.h"
