// The thirteen mouse bindings that the tray program sets with its default
// settings: right click on the caption sends to back, on the minimize button
// minimizes to the tray, on the maximize button opens the Maximize menu; a
// left double click on the caption rolls up; Ctrl with the left button on any
// sizing border moves the window.
#pragma once

namespace harness {

void ApplyDefaultBindings();

} // namespace harness
