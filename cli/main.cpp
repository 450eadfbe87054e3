#include "cli/wsqconv.h"

int main(int argc, char** argv) { return run_wsqconv(argc, argv); }
