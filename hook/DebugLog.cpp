#include "DebugLog.h"

int LogMessage(const wchar_t*, ...)
{
    return 0;
}
