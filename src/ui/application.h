#pragma once

namespace Application {

// Process settings that must be made before the application object exists.
void beforeApplication();

// Sets up the process-wide parts (fonts, proxy settings) that every window relies on.
void setUp();

// Starts the program: shows the main window and runs until the last window closes.
int run(int argc, char **argv);

} // namespace Application
