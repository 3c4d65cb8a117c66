#pragma once

#include <cstdint>

// Every heap allocation of a benchmark process passes through the counting operator new of
// AllocationCounter.cpp; only those made while gCountAllocations is on are counted, which the
// benchmarks switch on around the per-frame work alone.
extern bool gCountAllocations;
extern uint64_t gAllocations;
