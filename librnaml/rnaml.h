/* The RNAML binding's element layer: every public header. */
#ifndef RNAML_H
#define RNAML_H

#include "rnamlDTD.h"
#include "rnamlElements.h"
#include "rnamlMarshaller.h"
#include "rnamlObject.h"
#include "rnamlUnmarshaller.h"

#endif
