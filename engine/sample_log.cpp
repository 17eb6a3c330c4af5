#include "engine/sample_log.h"
