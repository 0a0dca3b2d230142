// The process's memory as the system sees it.
#pragma once

// Gives the heap's free pages back to the system. The software rasteriser allocates and frees
// large scratch buffers while paint is baked; the allocator would keep the freed pages, and the
// game's resident memory would stay at its highest point for the rest of the run.
void returnFreedMemory();
