#pragma once
// How freed memory is kept for the next picture.

namespace painter {

// Every picture allocates buffers of one to a few megabytes (its surface, the
// encoder's copy, the rows ahead) and frees them again. Left to itself the C
// library maps each of them afresh and hands the pages back when they are
// freed, so every picture takes several hundred page faults, about 10 us each
// on a virtual machine: a twentieth of a batch's time. Called once at start,
// before any thread, this keeps freed buffers of up to 4 MB, and up to 8 MB
// of free memory per allocator arena, for reuse. Does nothing where the C
// library has no such settings.
void keepFreedMemoryForReuse();

}  // namespace painter
