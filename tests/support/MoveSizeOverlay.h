// The stand-in for the tray program's overlay lives with the other stand-ins.
#pragma once
#include "TrayHarness.h"
