#pragma once
// --info: one line or one JSON object per file.
#include <string>

#include "cli/arguments.h"

// Prints the file's facts on standard output; on failure prints
// "wsqconv: FILE: MESSAGE" on standard error. Returns false on failure.
bool print_file_info(const std::string& file, const CliOptions& options);

// A comment as one line: each line break becomes "; ".
std::string one_line(const std::string& text);
