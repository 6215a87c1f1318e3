#pragma once

// Everything of OPC Data Access 1.0/2.0 and OPC Common: the server and group
// interfaces, the records, enumerations, quality bits, standard properties,
// result codes, categories, the server list and the data-change streams.

#include "opc/categories.h"
#include "opc/common.h"
#include "opc/group.h"
#include "opc/opcerror.h"
#include "opc/properties.h"
#include "opc/quality.h"
#include "opc/records.h"
#include "opc/server.h"
#include "opc/server_list.h"
#include "opc/stream.h"
#include "opc/types.h"
