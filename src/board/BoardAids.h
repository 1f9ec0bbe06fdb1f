#pragma once

class TF_Mainform;

// What the board offers beyond touch: the keyboard and bump bar (BumpBar). It is a child of the
// board and changes nothing of what the board does by touch.
void installBoardAids(TF_Mainform &board);
