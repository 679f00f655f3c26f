#include "display/charset.h"
