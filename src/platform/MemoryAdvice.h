#pragma once

#include <QtGlobal>

// Hints to the operating system about how a block of memory will be used.
namespace MemoryAdvice {

// Asks for the block to be backed by large pages where the system supports it, so that filling
// a big buffer (a generated text of hundreds of megabytes) costs a few hundred page faults
// instead of tens of thousands. Blocks under a few megabytes are left alone. Only a hint: it
// changes neither the content nor the size of the block.
void preferLargePages(const void* data, qsizetype bytes);

} // namespace MemoryAdvice
