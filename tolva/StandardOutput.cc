#include "StandardOutput.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "DescriptorBuffer.h"
#include "Exception.h"
#include "StandIns.h"

namespace tolva {

namespace {

// Never freed: std::cout is flushed after every destructor has run.
CDescriptorBuffer* gBuffer = nullptr;

}  // namespace

void take_standard_output()
{
  if (gBuffer != nullptr) return;
  stand_in_for_closed_descriptors();
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
