/* The RNAML binding's element layer: every public header. */
#ifndef RNAML_H
#define RNAML_H

#include "rnamlElements.h"
#include "rnamlObject.h"

#endif
