#include "Transfo.h"

#include "Exception.h"

float& CTransfo::bad_index(unsigned k)
{
  CFatalIntLibException e("Invalid transformation index ", __FILE__, __LINE__);
  e << k;
  throw e;
}
