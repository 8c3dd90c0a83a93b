// An output stream buffer over a file descriptor that keeps the reason of
// its first failed write: a stream only knows that it failed, not why.
// Text is kept until a flush (or until much has gathered), then written
// whole. After a failure further text is dropped: nothing is written past
// a gap. Writers on several threads are served one at a time.
#ifndef TOLVA_DESCRIPTORBUFFER_H
#define TOLVA_DESCRIPTORBUFFER_H

#include <atomic>
#include <mutex>
#include <streambuf>
#include <string>

namespace tolva {

class CDescriptorBuffer : public std::streambuf
{
public:
  // Writes to `fd`, which stays the caller's to close.
  explicit CDescriptorBuffer(int fd);
  ~CDescriptorBuffer() override;
  CDescriptorBuffer(const CDescriptorBuffer&) = delete;
  CDescriptorBuffer& operator=(const CDescriptorBuffer&) = delete;

  // The errno of the first write that failed; 0 while all got through.
  int GetError() const { return error.load(std::memory_order_relaxed); }

protected:
  std::streamsize xsputn(const char* text, std::streamsize n) override;
  int_type overflow(int_type c) override;
  int sync() override;

private:
  // Appends, and writes out once much has gathered. Called locked.
  bool append(const char* text, size_t n);
  // Writes out what is kept. Called locked.
  bool drain();

  const int fd;
  std::string pending;
  std::mutex lock;
  std::atomic<int> error;
};

}  // namespace tolva

#endif
