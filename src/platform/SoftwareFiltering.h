// SoftwareFiltering.h — lets Mesa's software rasteriser filter textures the cheaper way.
#pragma once

// Asks llvmpipe, before the first GL context exists, to blend two mipmap levels only close to
// where one gives way to the next ("brilinear") and to size a pixel's texture footprint without
// a square root ("rho_approx"). On the software renderer the ground's two trilinear samples
// were most of a frame; these two make a full-screen view of the ground a sixth cheaper or
// more, and a frame differs from exact filtering by under two levels of 255 on average.
// Hardware drivers do not read the variable. A player who sets GALLIVM_PERF, even to nothing,
// keeps their choice.
void PreferFastSoftwareFiltering();
