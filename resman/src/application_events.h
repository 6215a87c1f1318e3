#pragma once

// The two application events the manager listens to while classes exist.
// Both functions need Registry::lifecycle held.

namespace morvick {

// Opens whichever of the two events is not open yet and registers the
// callback; false when either event could not be opened.
bool openApplicationEvents();
void closeApplicationEvents();

}  // namespace morvick
