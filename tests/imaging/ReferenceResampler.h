#pragma once

class cDIBSection;

// The bilinear fill written out the plain way, one destination pixel at a
// time with twelve checked reads, to hold the fast one against.
void ReferenceFill(const cDIBSection& source, cDIBSection& dest);
