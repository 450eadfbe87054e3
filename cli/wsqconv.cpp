// UNFINISHED-STUB: replaced by the real command.
#include "cli/wsqconv.h"
int run_wsqconv(int, char**) { return 2; }
