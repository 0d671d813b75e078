// Where the hook library in this process was loaded from.
//
//   hookpath  -> the full path of the mapped hook library, or "-"
#include "Target.h"

namespace target {

namespace {

std::string HookPath(std::istringstream&)
{
    const HMODULE module = GetModuleHandleW(HookLibrary().c_str());
    if (module == nullptr) return "-";
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(module, path, MAX_PATH * 2);
    return Narrow(path);
}
TargetCommand hookpath("hookpath", HookPath);

} // namespace

} // namespace target
