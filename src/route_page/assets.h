// The fixed parts of the route page: styles, glyphs, the controls and the
// script that zooms and pans, each a file beside this one embedded when the
// tool is built. They hold no author text. The script is plain JavaScript:
// it reads numbers only (the route-data block and the data- attributes),
// creates elements through the DOM and sets text with textContent, so no
// text of the author's ever becomes markup.
#pragma once

namespace sb::route_page {

extern const char* const routeSvgStyle;       // inside the SVG, so the standalone file is styled too
extern const char* const routePageStyle;
extern const char* const routePageControls;   // zoom and pan buttons
extern const char* const routePageErrorTrap;  // counts script errors in data-script-errors
extern const char* const routePageScript;

}  // namespace sb::route_page
