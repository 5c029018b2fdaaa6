#include "low.h"

int lowValue() { return low(); }
