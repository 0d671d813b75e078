// Whether a start must install the global hook. Windows removes a hook with
// the thread that set it, so after the process that installed it crashed or
// was ended, the handle the shared section keeps names no hook any more.
// Free of system calls: the process lookup is passed in.
#pragma once

// The process that installed the hook: its id and creation time (the id
// alone may have been given to another process since).
struct HookOwner {
    unsigned long process;
    unsigned long long started;
};

// The creation time of the running process with this id; 0 when no process
// with that id runs, ProcessNotAsked when one runs that may not be asked.
using ProcessStartReader = unsigned long long (*)(unsigned long process);
constexpr unsigned long long ProcessNotAsked = ~0ull;

inline bool HookNeedsInstall(bool installed, const HookOwner& owner, ProcessStartReader startOf)
{
    if (!installed) return true;
    const unsigned long long started = startOf(owner.process);
    return started != ProcessNotAsked && started != owner.started;
}
