#pragma once
// The toolkit finds the image-IO module for a file among its registered factories. The
// program does not let the build register them implicitly: they are registered here, once,
// in a fixed order, which decides which module gets a file that several could read.

// Registers every image-IO factory the first time it is called; later calls do nothing.
void RegisterImageIOFactories();
