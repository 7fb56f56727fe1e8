#include "Thread2.h"

std::atomic<THandle> Thread2Handle { 0 };
