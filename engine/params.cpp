#include "engine/params.h"
