#pragma once
inline int low() { return 1; }
