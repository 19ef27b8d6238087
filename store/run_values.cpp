#include "store/run_values.h"

#ifndef INSTALLER_DID
#define INSTALLER_DID 5279
#endif
#ifndef INSTALLER_TAG
#define INSTALLER_TAG 0
#endif

int did = INSTALLER_DID;
int tag = INSTALLER_TAG;
int langId = 0;
int debug_level = 0;
