#pragma once
// Processor naming by vendor, family, model and brand index.
#include <string>

// Decodes the signature first, so ProcessorSignature is fresh afterwards.
// The empty text when no row of the naming table applies.
std::string GetProcessorName();
