#pragma once
// The image toolkit's filters, readers and writers each take a threader when they are made.
// Its default threader is a pool of worker threads that the first of them starts, which
// under an address-space limit (a batch scheduler's, a container's) cannot be had: the
// toolkit then ends the process. The program runs the toolkit on the calling thread
// instead, as its own code is single-threaded: no pool and no worker thread is ever made.

// Chooses the toolkit's threading; to be called before anything of the toolkit is made.
// Later calls do nothing.
void RunToolkitOnCallingThread();
