/* The XML toolkit: every public header. */
#ifndef VORTAN_H
#define VORTAN_H

#include "vortanDTDRegistry.h"
#include "vortanElement.h"
#include "vortanErrors.h"
#include "vortanInputStream.h"
#include "vortanList.h"
#include "vortanMap.h"
#include "vortanObject.h"
#include "vortanOutputStream.h"
#include "vortanPrintStream.h"
#include "vortanRecords.h"
#include "vortanString.h"
#include "vortanTags.h"

#endif
