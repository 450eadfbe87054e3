#pragma once
// The extensions (lower-case, with their dot) that the open flow reads: most
// through the picture registry, the JPEG ones through the JPEG reader.
#include <QString>

bool is_registry_extension(const QString& lower_extension);
bool is_jpeg_extension(const QString& lower_extension);
// Either of the two: the test of the command-line open.
bool is_readable_extension(const QString& lower_extension);
