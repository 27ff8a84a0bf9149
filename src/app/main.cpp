#include "app/Startup.h"
#include "platform/RunDirectory.h"

int main()
{
    quorvo::prepareConfiguration(quorvo::runDirectory());
    // The window and its message loop come next; until then start-up is the whole run.
    return 0;
}
