#pragma once
// The program's table from broker family to the adapter that drives the
// family's site. Tests hand the trade run tables of their own.

#include "broker/AdapterFactory.h"

TAdapterFactory ProgramAdapterFactory();
