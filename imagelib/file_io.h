#pragma once
// Whole-file reading and safe file writing shared by the readers and writers.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "imagelib/errors.h"

// Reads the whole file into bytes. CannotOpenFile when it cannot be opened
// or is no regular file, ReadError when reading fails, OutOfMemory (with the
// message of check_input_file) when it is larger than max_bytes. Does not
// touch the last error.
ImageLibraryError read_whole_file(const std::string& path, std::vector<uint8_t>& bytes, uint64_t max_bytes);

// The size check of the readers that hand the file to a library by name:
// CannotOpenFile for a path that names something other than a regular file
// (a folder, say); OutOfMemory for a file larger than max_bytes, after writing
// a diagnostic that names the file, its size and the limit. A path that
// cannot be examined passes, so the reader's own open reports it. Does not
// touch the last error.
ImageLibraryError check_input_file(const std::string& path, uint64_t max_bytes);

// The name prefix of OutputFile's temporary files (an interrupted write may
// leave one behind; it is never an input).
inline constexpr std::string_view kTemporaryPrefix = ".wsqtmp-";

// A file that appears at its target path only when everything was written:
// it is written to a temporary file in the target's folder and renamed over
// the target by commit(). Destroying it uncommitted removes the temporary
// file and leaves any existing target untouched.
class OutputFile {
 public:
  explicit OutputFile(std::string target);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the temporary file and opens it for binary writing. False when
  // it cannot be created (the target folder is missing or not writable).
  bool open();
  // The open stream (after open()).
  FILE* stream() const { return stream_; }
  // The temporary file's path, for libraries that open files by name. Close
  // the stream first with close_stream() when handing the path on.
  const std::string& temp_path() const { return temp_path_; }
  void close_stream();
  // Flushes and closes the stream if open, then renames the temporary file
  // over the target. False (and the temporary file removed) on any failure.
  bool commit();

 private:
  std::string target_;
  std::string temp_path_;
  FILE* stream_ = nullptr;
  bool committed_ = false;
};

// Writes bytes to path through an OutputFile. CannotOpenFile when the file
// cannot be created, WriteError when writing fails.
ImageLibraryError write_whole_file(const std::string& path, const uint8_t* data, size_t size);
