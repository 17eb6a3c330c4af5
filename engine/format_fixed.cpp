#include "engine/format_fixed.h"
