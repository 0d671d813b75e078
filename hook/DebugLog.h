// The hook library's diagnostic line.
#pragma once

int LogMessage(const wchar_t* format, ...);
