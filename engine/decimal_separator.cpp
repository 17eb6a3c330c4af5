#include "engine/decimal_separator.h"
