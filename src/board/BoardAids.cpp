#include "BoardAids.h"

#include "BumpBar.h"
#include "Mainform.h"
#include "NewTicketHighlight.h"
#include "ServiceSummary.h"
#include "settings/BoardSettings.h"
#include "settings/NewTicketSettings.h"

void installBoardAids(TF_Mainform &board)
{
    new BumpBar(board);
    const NewTicketSignal signal = readNewTicketSignal(boardSettingsPath());
    new NewTicketHighlight(board, signal.flash, signal.sound);
    new ServiceSummary(board);
}
