// What a run of the offset dialog leaves in OffsetParameters.
#pragma once

#include "core/host_record.h"

// Before the dialog is shown: no offset, extrude.
void ResetOffsetParameters();

// After a run that did not end with Cancel: each text converted and
// multiplied by the host's unit scale, read afresh for each; the extrude
// choice from the check box.
void StoreOffsetParameters(const HostRecord* record);
