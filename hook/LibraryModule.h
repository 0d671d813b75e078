// This process's handle of the hook library, for its own resources.
#pragma once

#include <windows.h>

// Set at process attach.
HINSTANCE LibraryModule();
