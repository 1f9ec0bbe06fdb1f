#include "BoardAids.h"

#include "BumpBar.h"
#include "Mainform.h"

void installBoardAids(TF_Mainform &board)
{
    new BumpBar(board);
}
