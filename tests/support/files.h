#pragma once
// Small file helpers for tests.
#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> read_file_bytes(const std::string& path);
void write_file_bytes(const std::string& path, const std::vector<uint8_t>& bytes);
