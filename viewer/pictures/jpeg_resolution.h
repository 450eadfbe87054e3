#pragma once
// The resolution a JPEG file records in its JFIF header, read without
// decoding the picture (Qt decodes the pixels and cannot tell a missing
// density from 96 dpi).
#include <QString>
#include <cstdint>

// Pixels per inch of the file's JFIF density, by the image library's rule
// for densities; -1 when the file has no JFIF header, gives only an aspect
// ratio, or cannot be read.
int32_t jpeg_file_ppi(const QString& file_name);
