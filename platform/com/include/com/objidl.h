#pragma once

// Every standard COM interface of the stand-in, with its identifier.

#include "com/interfaces/class_factory.h"
#include "com/interfaces/connection_points.h"
#include "com/interfaces/data_object.h"
#include "com/interfaces/enum_guid.h"
#include "com/interfaces/enumerators.h"
#include "com/interfaces/malloc.h"
#include "com/interfaces/persist.h"
#include "com/unknown.h"
