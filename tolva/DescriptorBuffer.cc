#include "DescriptorBuffer.h"

#include <cerrno>
#include <unistd.h>

namespace tolva {

namespace {

// Past this much text a write is made without waiting for a flush.
const size_t kGathered = 64 << 10;

}  // namespace

// No put area: every insertion comes through xsputn or overflow, under the
// lock, as stdio's locked buffer served the writers before.
CDescriptorBuffer::CDescriptorBuffer(int descriptor) : fd(descriptor), error(0) {}

CDescriptorBuffer::~CDescriptorBuffer()
{
  std::lock_guard<std::mutex> locked(lock);
  drain();
}

bool CDescriptorBuffer::append(const char* text, size_t n)
{
  if (GetError() != 0) return false;
  pending.append(text, n);
  return pending.size() < kGathered || drain();
}

bool CDescriptorBuffer::drain()
{
  size_t done = 0;
  while (done < pending.size() && GetError() == 0) {
    ssize_t n = write(fd, pending.data() + done, pending.size() - done);
    if (n > 0)
      done += static_cast<size_t>(n);
    else if (n < 0 && errno != EINTR)
      error.store(errno, std::memory_order_relaxed);
    else if (n == 0)
      error.store(EIO, std::memory_order_relaxed);
  }
  pending.clear();
  return GetError() == 0;
}

std::streamsize CDescriptorBuffer::xsputn(const char* text, std::streamsize n)
{
  std::lock_guard<std::mutex> locked(lock);
  return append(text, static_cast<size_t>(n)) ? n : 0;
}

CDescriptorBuffer::int_type CDescriptorBuffer::overflow(int_type c)
{
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  char one = traits_type::to_char_type(c);
  std::lock_guard<std::mutex> locked(lock);
  return append(&one, 1) ? c : traits_type::eof();
}

int CDescriptorBuffer::sync()
{
  std::lock_guard<std::mutex> locked(lock);
  return drain() ? 0 : -1;
}

}  // namespace tolva
