// Protocol handlers of the test's Wine prefix, replaced for the length of a
// test by the recorder program (shell_recorder.exe), so that what a program
// hands to ShellExecuteW can be read back without a browser or mail program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace harness {

// Registers, in HKEY_CLASSES_ROOT, the recorder for the given URL schemes
// ("https", "mailto") with two verbs: "open" (recorded as "open <url>") and
// "view" (recorded as "view <url>"), "view" being the scheme's default verb.
// On Windows a call without a verb thus shows up as "view"; Wine's
// ShellExecuteW takes a missing verb as "open", so there only a wrong
// explicit verb is told apart. The prefix's own keys are saved first and
// put back at the end of the scope (or by the next instance, if a run ended
// early).
class RecordingProtocolHandlers {
public:
    explicit RecordingProtocolHandlers(const std::vector<std::wstring>& schemes);
    ~RecordingProtocolHandlers();
    RecordingProtocolHandlers(const RecordingProtocolHandlers&) = delete;
    RecordingProtocolHandlers& operator=(const RecordingProtocolHandlers&) = delete;

    // The lines recorded so far, oldest first.
    std::vector<std::wstring> Recorded() const;
    // Waits until at least `count` lines are there (true) or gives up.
    bool WaitForRecorded(size_t count, DWORD milliseconds = 20000) const;

private:
    std::vector<std::wstring> m_schemes;
    std::wstring m_log;
};

// The directory of the running test executable, with a trailing backslash.
std::wstring TestDirectory();

} // namespace harness
