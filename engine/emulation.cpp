#include "engine/emulation.h"
