#pragma once

// The tokenizer lives with the typed requirement values, below the editor, so that the audit reads it too.
#include "reqtypes/expressiontokens.h"
