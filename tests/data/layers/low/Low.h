#pragma once
// A lower layer that reaches up: the layer check must refuse both includes.
#include "high/High.h"
#include "../high/High.h"
