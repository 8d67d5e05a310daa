#pragma once

namespace Fonts {

// Makes the stored font names resolve: loads the installed Tahoma and MS Sans Serif look-alikes and
// maps the remaining names to fonts Debian has.
void install();

} // namespace Fonts
