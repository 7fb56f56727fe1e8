#include "Thread1.h"

std::atomic<THandle> Thread1Handle { 0 };
