#include "engine/channels.h"
