#include "imagelib/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <new>

#include "wsq/diagnostics.h"

namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

std::string folder_of(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The shared verdict on a file's kind and size, with the refusal's message.
ImageLibraryError check_status(const std::string& path, const struct stat& info, uint64_t max_bytes) {
  if (!S_ISREG(info.st_mode)) return CannotOpenFile;
  const auto size = static_cast<unsigned long long>(info.st_size);
  if (size <= max_bytes) return NoError;
  diag_printf("ERROR : %s : file of %llu bytes is above the file size limit of %llu bytes\n", path.c_str(), size,
              static_cast<unsigned long long>(max_bytes));
  return OutOfMemory;
}

}  // namespace

ImageLibraryError read_whole_file(const std::string& path, std::vector<uint8_t>& bytes, uint64_t max_bytes) {
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return CannotOpenFile;
  struct stat info {};
  if (fstat(fileno(file.get()), &info) != 0) return CannotOpenFile;
  if (const ImageLibraryError code = check_status(path, info, max_bytes); code != NoError) return code;
  try {
    bytes.resize(static_cast<size_t>(info.st_size));
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    bytes.clear();
    return ReadError;
  }
  return NoError;
}

ImageLibraryError check_input_file(const std::string& path, uint64_t max_bytes) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return NoError;
  return check_status(path, info, max_bytes);
}

OutputFile::OutputFile(std::string target) : target_(std::move(target)) {}

OutputFile::~OutputFile() {
  close_stream();
  if (!committed_ && !temp_path_.empty()) ::unlink(temp_path_.c_str());
}

bool OutputFile::open() {
  std::string pattern = folder_of(target_) + "/" + std::string(kTemporaryPrefix) + "XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return false;
  temp_path_ = pattern;
  // mkstemp creates the file readable by the owner only; give it the usual
  // permissions of a new file.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  stream_ = ::fdopen(fd, "wb");
  if (stream_ == nullptr) {
    ::close(fd);
    return false;
  }
  return true;
}

void OutputFile::close_stream() {
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
}

bool OutputFile::commit() {
  if (temp_path_.empty()) return false;
  if (stream_ != nullptr) {
    const bool flushed = std::fflush(stream_) == 0 && !std::ferror(stream_);
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (!flushed || !closed) return false;
  }
  if (std::rename(temp_path_.c_str(), target_.c_str()) != 0) return false;
  committed_ = true;
  return true;
}

ImageLibraryError write_whole_file(const std::string& path, const uint8_t* data, size_t size) {
  OutputFile out(path);
  if (!out.open()) return CannotOpenFile;
  if (size > 0 && std::fwrite(data, 1, size, out.stream()) != size) return WriteError;
  return out.commit() ? NoError : WriteError;
}
