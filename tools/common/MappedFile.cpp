#include "tools/common/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace toolcommon {

MappedFile::MappedFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st;
  if (::fstat(fd, &st) == 0 && st.st_size > 0) {
    void* p = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (p != MAP_FAILED) {
      data_ = static_cast<const char*>(p);
      size_ = static_cast<size_t>(st.st_size);
      ::madvise(p, size_, MADV_SEQUENTIAL);
    }
  }
  ::close(fd);
}

MappedFile::~MappedFile() {
  if (data_ != nullptr) ::munmap(const_cast<char*>(data_), size_);
}

void MappedFile::ForgetBefore(size_t offset) const {
  constexpr size_t kStep = 4 << 20;
  const size_t done = (offset < size_ ? offset : size_) & ~(kStep - 1);
  if (data_ == nullptr || done <= released_) return;
  ::madvise(const_cast<char*>(data_) + released_, done - released_, MADV_DONTNEED);
  released_ = done;
}

}  // namespace toolcommon
