#pragma once

// The windows still include the old place; new code includes platform/gui/.
#include "platform/gui/fonts.h"
