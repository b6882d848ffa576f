#include "core/offset_parameters.h"

OffsetParametersRecord OffsetParameters = {0.0, 0.0, 0.0, 1};
