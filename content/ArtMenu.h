// ArtMenu.h — menu pictures: drifting clouds, the QUINTARA title and the buttons.
//
// The clouds are laid four times across the screen and the title is added on top of them, so
// the clouds tile both ways and the title's black means "nothing". Buttons carry alpha; their
// captions are drawn over the dark middle by the game.
#pragma once

#include "core/PngFile.h"

TRgbaImage MakeMenuClouds();   // seamless night clouds, lit from the upper left
TRgbaImage MakeTitle();        // winged emblem over QUIN / TARA in gold, on black
TRgbaImage MakeButton();       // steel frame round a dark glass panel
TRgbaImage MakeButtonLeft();   // the same frame with a chevron pointing left
TRgbaImage MakeButtonRight();  // and right
