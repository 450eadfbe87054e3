#pragma once
// Shared by the reader harnesses: the readers take file names, so each input
// is written to a fresh temporary file, removed when the object goes away.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Keeps each run small and quick; larger declared sizes take the same paths.
inline constexpr uint64_t kFuzzMaxPixels = uint64_t{1} << 22;

class FuzzInputFile {
 public:
  FuzzInputFile(const uint8_t* data, size_t size, const std::string& extension) {
    std::string pattern = "/tmp/fuzz-XXXXXX" + extension;
    const int fd = ::mkstemps(pattern.data(), static_cast<int>(extension.size()));
    if (fd < 0) return;
    path_ = pattern;
    FILE* file = ::fdopen(fd, "wb");
    written_ = file != nullptr && std::fwrite(data, 1, size, file) == size;
    if (file != nullptr) std::fclose(file);
  }
  ~FuzzInputFile() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  FuzzInputFile(const FuzzInputFile&) = delete;
  FuzzInputFile& operator=(const FuzzInputFile&) = delete;

  bool ok() const { return written_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool written_ = false;
};
