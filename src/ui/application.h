#pragma once

namespace Application {

// Sets up the process-wide parts (fonts, proxy settings) that every window relies on.
void setUp();

// Starts the program: shows the main window and runs until the last window closes.
int run(int argc, char **argv);

} // namespace Application
