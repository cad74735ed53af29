#pragma once
// A recordset header that reaches up to the item panel: the layering check must refuse it.
#include "itempanel/itempanelmodel.h"
