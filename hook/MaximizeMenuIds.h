/* The "Maximize" popup of the mouse bindings: its menu resource and commands.
   Read by the resource compiler as well, so only preprocessor definitions. */
#pragma once

#define IDR_MAXIMIZE_MENU 101
#define ID_MAXIMIZE_640X480 0xE110
#define ID_MAXIMIZE_800X600 0xE111
#define ID_MAXIMIZE_HORIZONTAL 0xE112
#define ID_MAXIMIZE_VERTICAL 0xE113
