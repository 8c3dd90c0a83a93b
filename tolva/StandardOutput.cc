#include "StandardOutput.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <iostream>

#include "DescriptorBuffer.h"
#include "Exception.h"

namespace tolva {

namespace {

// Never freed: std::cout is flushed after every destructor has run.
CDescriptorBuffer* gBuffer = nullptr;

}  // namespace

void take_standard_output()
{
  if (gBuffer != nullptr) return;
  for (int fd = 0; fd <= 2; ++fd)
    if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
      // The lowest free descriptor: this one, as those below it are taken.
      int null = open("/dev/null", (fd == 0 ? O_WRONLY : O_RDONLY) | O_CLOEXEC);
      if (null >= 0 && null != fd) close(null);
    }
  std::cout.flush();
  gBuffer = new CDescriptorBuffer(1);
  std::cout.rdbuf(gBuffer);
}

void check_standard_output()
{
  const int error = gBuffer != nullptr ? gBuffer->GetError() : 0;
  if (error == 0) return;
  if (error == EPIPE) throw CClosedOutput();
  CException e("Cannot write standard output: ");
  e << std::strerror(error) << ".";
  throw e;
}

}  // namespace tolva
