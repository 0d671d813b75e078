// The bench's table: one row per measurement, and one line per goal printed
// at the end.
#pragma once

// A figure; `ratio`, when above 0, is ours against the floor.
void Row(const char* name, double value, const char* unit, double ratio = 0);

// A goal on a ratio (ours / floor), or on a figure in `measure` ("ms", ...).
void Goal(const char* name, double value, bool atLeast, double target, const char* measure = "ratio");

// Prints the goal lines collected.
void PrintGoals();

// The tray program at scale: start to icon, "Manage open windows" and Exit
// with 1000 windows spread over 10 programs.
void MeasureScale();

// The other end of MeasureScale: a copy of the bench that holds `count`
// hidden captioned windows until the bench ends.
int HoldWindows(int count);
