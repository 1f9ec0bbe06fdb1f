#pragma once

// Shows the general error report and the board's warnings as modal message boxes.
void installMessageBoxes();
