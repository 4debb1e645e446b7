// The fixed parts of the route page: styles, glyphs, the controls and the
// script that zooms and pans. They hold no author text.
#pragma once

namespace sb::tool {

extern const char* const routeSvgStyle;       // inside the SVG, so the standalone file is styled too
extern const char* const routePageStyle;
extern const char* const routePageControls;   // zoom and pan buttons
extern const char* const routePageErrorTrap;  // counts script errors in data-script-errors
extern const char* const routePageScript;

}  // namespace sb::tool
