#pragma once
// Conversions between the record's resolution (pixels per inch, -1 unknown)
// and the units formats store it in.
#include <cstdint>

// Pixels per metre for a known resolution, else 0 (the formats' "none").
uint32_t ppi_to_per_metre(int32_t ppi);
// The resolution of a pixels-per-metre field, -1 for 0 or a value beyond any
// real scanner.
int32_t per_metre_to_ppi(uint64_t per_metre);
// The resolution of a field measured in per inch (unit 1) or per centimetre
// (unit 2) as a real number; -1 for anything else or a non-positive value.
int32_t density_to_ppi(double density, int unit);
