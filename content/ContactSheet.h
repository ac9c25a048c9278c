// ContactSheet.h — one PNG showing every picture the forge made, for looking over the art.
#pragma once

#include "core/PngFile.h"

#include <string>
#include <vector>

// A picture made elsewhere (a rendered model) to show on the sheet under its name.
struct TSheetPicture {
  std::string Name;
  TRgbaImage Image;
};

// Every image file of the manifest found under gameDir (cna, jpg, bmp, png), scaled into a grid
// cell with its file name underneath (drawn with the game's own font when it is there), alpha
// shown over a checkerboard. Throws TFileError when a picture cannot be read or the sheet
// cannot be written.
// `extra` pictures follow the forge's own.
void MakeContactSheet(const std::string& gameDir, const std::string& outPng,
                      const std::vector<TSheetPicture>& extra = {});
