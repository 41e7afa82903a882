// The command table the host reads: one row per script command, four fields
// separated by "%": script name ("[" when it returns a value), type letters
// ("L" a 32-bit integer, "H" an array reference; "0" alone: none), export
// name, parameter hint. commands.rc stores the rows as strings 1 to 19 of the
// library's string table; the test programs read the same rows when they call
// the plug-in's code linked in. Plain preprocessor text, for both.
#pragma once

// ROW(id, "row text", export)
#define MBC_COMMAND_ROWS(ROW)                                                                    \
  ROW(1, "MBC Initialized[%L%MBC_Init%", MBC_Init)                                               \
  ROW(2, "MBC Clear All Memblocks%0%MBC_Clear%", MBC_Clear)                                      \
  ROW(3, "MBC Exist Memblock Count[%L%MBC_Count%", MBC_Count)                                    \
  ROW(4, "MBC Delete Memblock[%LL%MBC_Delete%Memblock Number", MBC_Delete)                       \
  ROW(5, "MBC Clone Memblock[%LL%MBC_CloneMemblock%Source Memblock", MBC_CloneMemblock)          \
  ROW(6, "MBC Make Memblock[%LL%MBC_DynamicMake%Bytes Size", MBC_DynamicMake)                    \
  ROW(7, "MBC Make Memblock From Array[%LH%MBC_DynamicMakeFromArray%Array Name(0)",              \
      MBC_DynamicMakeFromArray)                                                                  \
  ROW(8, "MBC Make Memblock From Bitmap[%LL%MBC_DynamicMakeFromBitmap%Bitmap Number",            \
      MBC_DynamicMakeFromBitmap)                                                                 \
  ROW(9, "MBC Make Memblock From Image[%LL%MBC_DynamicMakeFromImage%Image Number",               \
      MBC_DynamicMakeFromImage)                                                                  \
  ROW(10, "MBC Make Memblock From Mesh[%LL%MBC_DynamicMakeFromMesh%Mesh Number",                 \
      MBC_DynamicMakeFromMesh)                                                                   \
  ROW(11, "MBC Make Memblock From Sound[%LL%MBC_DynamicMakeFromSound%Sound Number",              \
      MBC_DynamicMakeFromSound)                                                                  \
  ROW(12, "MBC Make Memblock Image[%LLLL%MakeMemblockImage%Width, Height, Depth",                \
      MakeMemblockImage)                                                                         \
  ROW(13, "MBC Plot%LLLL%IMPlot%Memblock Number, X, Y, RGBColor", IMPlot)                        \
  ROW(14, "MBC Get Pixel[%LLLL%IMGetPixel%Memblock Number, X, Y", IMGetPixel)                    \
  ROW(15, "MBC Circle%LLLLLL%IMCircle%Memblock Number, X, Y, Diameter, RGBColor, FillMode",      \
      IMCircle)                                                                                  \
  ROW(16, "MBC Cube%LLLLLL%IMCube%Memblock Number, X, Y, Size, RGBColor, FillMode", IMCube)      \
  /* The hint names the fourth and fifth parameters "Bottom, Right" although */                  \
  /* the command takes the right edge fourth: the host shows it as it stands. */                 \
  ROW(17, "MBC Box%LLLLLLL%IMBox%Memblock Number, Left, Top, Bottom, Right, RGBColor, FillMode", \
      IMBox)                                                                                     \
  ROW(18, "MBC Stretch Image%LL%IMStretch%Source IM, Target IM", IMStretch)                      \
  ROW(19, "MBC Stretch Image[%LLLL%IMStretch2%Source IM, Width, Height", IMStretch2)
