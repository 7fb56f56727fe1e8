#include "Thread10.h"

std::atomic<THandle> Thread10Handle { 0 };
