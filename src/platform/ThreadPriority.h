#pragma once

// Scheduling of threads that do background work.
namespace ThreadPriority {

// Makes the calling thread yield to the others of the system: its nice value goes up by ten
// (at most to 19), once per thread, so a worker counting in the background never keeps the
// main thread from painting, yet still runs while other programs keep the processors busy.
// On Linux the nice value belongs to each thread; elsewhere this does nothing.
void lowerCurrentThread();

} // namespace ThreadPriority
