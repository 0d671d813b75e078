// Dimensions of the binding tables and the pattern lists, and the index test
// that keeps every table access inside the tables. Free of Windows headers.
#pragma once

// Table dimensions: button x modifier row (Ctrl = 1, Alt = 2) x hit-test code.
constexpr int MoxButtonCount = 3;
constexpr int MoxModifierRowCount = 3;
constexpr int MoxHitTestCount = 22;
// Capacity of each stored ignore-pattern list, terminators included.
constexpr int MoxPatternListUnits = 1024;

// True when the three indices name an element of a binding table.
constexpr bool IsBindingIndex(int button, int modifier, int hitTest)
{
    return button >= 0 && button < MoxButtonCount && modifier >= 0 && modifier < MoxModifierRowCount &&
           hitTest >= 0 && hitTest < MoxHitTestCount;
}
