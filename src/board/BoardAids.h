#pragma once

class TF_Mainform;

// What the board offers beyond touch: the keyboard and bump bar (BumpBar), the signal of new
// tickets (NewTicketHighlight, set by NYBLINKA and NYLJUD in "SPISKO.INI") and the service
// summary in the top bar (ServiceSummary). All are children of the board; none changes what the
// board does by touch.
void installBoardAids(TF_Mainform &board);
