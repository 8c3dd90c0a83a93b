/* The XML toolkit: every public header. */
#ifndef VORTAN_H
#define VORTAN_H

#include "vortanConstraints.h"
#include "vortanDTDCompiler.h"
#include "vortanDTDRegistry.h"
#include "vortanElement.h"
#include "vortanErrors.h"
#include "vortanInputStream.h"
#include "vortanList.h"
#include "vortanMap.h"
#include "vortanMessages.h"
#include "vortanNameForm.h"
#include "vortanObject.h"
#include "vortanOutputStream.h"
#include "vortanParser.h"
#include "vortanPrint.h"
#include "vortanPrintStream.h"
#include "vortanRecords.h"
#include "vortanReferenceTable.h"
#include "vortanScanner.h"
#include "vortanString.h"
#include "vortanTags.h"
#include "vortanTokenCodes.h"
#include "vortanValidator.h"
#include "vortanWellFormedness.h"

#endif
