#pragma once
// The wsqconv command: converts and inspects image files through the image
// library. Returns the process exit code (0 success, 1 a file failed,
// 2 usage error).
int run_wsqconv(int argc, char** argv);
