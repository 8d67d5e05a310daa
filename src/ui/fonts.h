#pragma once

namespace Fonts {

// Makes the font names the windows' descriptions hold resolve: loads the installed Tahoma and MS Sans Serif
// look-alikes and maps the remaining names to fonts Debian has.
void install();

} // namespace Fonts
