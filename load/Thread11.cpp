#include "Thread11.h"

std::atomic<THandle> Thread11Handle { 0 };
