#include "mid.h"

int midValue() { return mid(); }
