#include "top.h"

int topValue() { return top(); }
