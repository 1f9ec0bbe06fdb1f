#pragma once

class TF_Mainform;

// What the board offers beyond touch: the keyboard and bump bar (BumpBar) and the signal of new
// tickets (NewTicketHighlight, set by NYBLINKA and NYLJUD in "SPISKO.INI"). Both are children of
// the board; neither changes what the board does by touch.
void installBoardAids(TF_Mainform &board);
