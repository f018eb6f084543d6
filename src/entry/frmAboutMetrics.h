#pragma once

// The width of the letter "M" in the program's dialog font, in twips: the
// unit grid columns are measured in.
double letterWidthTwips(double dpi);
