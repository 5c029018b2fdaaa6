#pragma once
inline int mid() { return 1; }
