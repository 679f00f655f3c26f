#include "common/win_locale.h"
