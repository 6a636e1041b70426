#pragma once
// The process-wide set-up every program entry (the application and the test mains) shares.
namespace platform {

// Before the QApplication exists: OpenGL contexts are compatibility-profile contexts, since
// the 3-D pane draws with the fixed-function pipeline.
void ConfigureDefaultSurfaceFormat();

// Right after the QApplication exists: numbers are read and printed in the "C" locale
// (Qt has set the C library's locale from the environment).
void UseCNumericLocale();

// Initialises GLUT once, and only when the GUI runs on an X display (freeglut ends the
// process without one, or when initialised twice). True when GLUT can be used.
bool EnsureGlutInitialized();

// False on the platforms that draw no OpenGL widgets (offscreen, minimal): the 3-D pane only
// stores there, so that it makes no attempt at a context that cannot be shown.
bool OpenGLWidgetsAvailable();

}  // namespace platform
