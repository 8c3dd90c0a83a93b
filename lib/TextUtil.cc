#include "TextUtil.h"

#include <ctime>

char* get_current_time(char* buffer)
{
  std::time_t now = std::time(nullptr);
  std::strftime(buffer, 16, "%Y/%m/%d", std::localtime(&now));
  return buffer;
}
