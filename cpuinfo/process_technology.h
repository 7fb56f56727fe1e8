#pragma once
// The manufacturing process of the processor, looked up by vendor and the
// leaf-1 signature as DecodeSignature left it.
#include <string>

// The empty text for vendors the lists do not know.
std::string GetProcessTechnology();
