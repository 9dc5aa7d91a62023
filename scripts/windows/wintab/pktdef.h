// See wintab.h beside this file.
#pragma once
#include "/usr/include/wine/wine/windows/pktdef.h"
