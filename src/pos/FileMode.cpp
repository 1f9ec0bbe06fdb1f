#include "FileMode.h"

#include <sys/stat.h>

void useBoardFileMode()
{
    // Files are created 0666 less the umask; nothing for others, everything for the group.
    ::umask(S_IRWXO);
}
