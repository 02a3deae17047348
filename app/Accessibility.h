#pragma once
// What assistive tools and the keyboard need of the window: a name for every
// control a person types into or ticks, labels as buddies of their fields, a
// tab order that reads the panels as a person does, and grid cells that the
// keyboard can press like a click.

#include <functional>

class FlexGrid;
struct Controls;

namespace accessibility {

// Gives every input control and grid its accessible name.
void NameControls(Controls &c);

// Panels left to right, top to bottom (the right column last, since it runs
// the window's full height); inside a panel, row by row.
void ChainTabOrder(Controls &c);

// Return, Enter or Space on a grid's current cell moves the grid's current
// cell there and runs what a click on it runs.
void PressCellsWithKeys(FlexGrid *grid, std::function<void()> click);

} // namespace accessibility
