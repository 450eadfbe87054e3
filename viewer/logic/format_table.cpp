#include "viewer/logic/format_table.h"

namespace {

using R = FormatReader;

constexpr std::array<FormatRow, FormatRowCount> kRows = {{
    {"All Bitmap Files", "", "", "", 0, R::None, ""},
    {"WSQ - FBI's Wavelet Scalar Quantization", "/*.wsq", "FBI Wavelet Scalar Quantization (*.wsq)", "*.wsq", 1, R::ProgramWsq, "WSQFile"},
    {"BMP - Windows bitmaps", "/*.bmp", "Windows bitmaps (*.bmp)", "*.bmp", 2, R::LibraryBmp, ""},
    {"TIFF - Macintosh Tagged Information File Format images", "/*.tiff", "Macintosh TIFF images (*.tiff)", "*.tiff", 3, R::ProgramTiff, "TIFFFile"},
    {"TIF - PC Tagged Information File Format images", "/*.tif", "PC TIFF images (*.tif)", "*.tif", 4, R::LibraryTiff, ""},
    {"JPG - Joint Photographic Experts Group images", "/*.jpg", "JPG images (*.jpg)", "*.jpg", 5, R::Jpeg, "JPEGFile"},
    {"JPEG - Joint Photographic Experts Group images", "/*.jpeg", "JPEG images (*.jpeg)", "*.jpeg", 7, R::Jpeg, "JPEGFile"},
    {"JPE - JPE images", "/*.jpe", "JPE images (*.jpe)", "*.jpe", 6, R::Jpeg, "JPEGFile"},
    {"PNG - Portable network graphic images", "/*.png", "Portable network graphic images (*.png)", "*.png", 8, R::Program, "PNGFile"},
    // The open dialog's GIF pattern has no dot, as described.
    {"GIF - Compuserve Graphic Interchange Format", "/*.gif", "Compuserve Graphic Interchange Format(*.gif)", "*gif", 9, R::Program, "GIFFile"},
    {"PSP - Paintshop Pro images", "/*.psp", "Paintshop Pro images (*.psp)", "*.psp", 10, R::None, ""},
    {"JFIF - JFIF images", "/*.jfif", "JFIF images (*.jfif)", "*.jfif", 11, R::Qt, ""},
    {"RLE - Run length encoded Windows bitmaps", "/*.rle", "Run length encoded Windows bitmaps (*.rle)", "*.rle", 12, R::LibraryBmp, ""},
    {"DIB - Device independant Windows bitmaps", "/*.dib", "Device independant Windows bitmaps (*.dib)", "*.dib", 13, R::LibraryBmp, ""},
    {"TGA - Truevision images", "/*.tga", "Truevision images (*.tga)", "*.tga", 17, R::Program, "TGAFile"},
    {"WIN - Truevision images", "/*.win", "Truevision images (*.win)", "*.win", 14, R::LibraryTga, ""},
    {"VST - Truevision images", "/*.vst", "Truevision images (*.vst)", "*.vst", 15, R::LibraryTga, ""},
    {"VDA - Truevision images", "/*.vda", "Truevision images (*.vda)", "*.vda", 16, R::LibraryTga, ""},
    {"ICB - Truevision images", "/*.icb", "Truevision images (*.icb)", "*.icb", 18, R::LibraryTga, ""},
    {"FAX - GFI fax images", "/*.fax", "GFI fax images (*.fax)", "*.fax", 19, R::None, ""},
    {"EPS - Encapsulated Postscript images", "/*.eps", "Encapsulated Postscript images (*.eps)", "*.eps", 20, R::None, ""},
    {"PCX - ZSoft Paintbrush images", "/*.pcx", "ZSoft Paintbrush images (*.pcx)", "*.pcx", 21, R::Program, "PCXFile"},
    {"PCC - ZSoft Paintbrush images", "/*.pcc", "ZSoft Paintbrush images (*.pcc)", "*.pcc", 22, R::LibraryPcx, ""},
    {"SCR - Word 5.x screen capture images", "/*.scr", "Word 5.x screen capture images (*.scr)", "*.scr", 23, R::None, ""},
    {"RPF - Alias/Wavefront images", "/*.rpf", "Alias/Wavefront images (*.rpf)", "*.rpf", 24, R::None, ""},
    {"RLA - Alias/Wavefront images", "/*.rla", "Alias/Wavefront images (*.rla)", "*.rla", 25, R::None, ""},
    {"SGI - SGI true color images", "/*.sgi", "SGI true color images (*.sgi)", "*.sgi", 26, R::LibrarySgi, ""},
    {"RGBA - SGI true color images", "/*.rgba", "SGI true color images with alpha (*.rgba)", "*.rgba", 27, R::Program, "RGBFile"},
    {"RGB - SGI true color images", "/*.rgb", "SGI true color images (*.rgb)", "*.rgb", 28, R::Program, "RGBFile"},
    {"BW - SGI black/white images", "/*.bw", "SGI black/white images (*.bw)", "*.bw", 29, R::LibrarySgi, ""},
    {"PSD - Photoshop images", "/*.psd", "Photoshop images (*.psd)", "*.psd", 30, R::LibraryPsd, ""},
    {"PDD - Photoshop images", "/*.pdd", "Photoshop images (*.pdd)", "*.pdd", 31, R::LibraryPsd, ""},
    {"PPM - Portable pixel map images", "/*.ppm", "Portable pixel map images (*.ppm)", "*.ppm", 32, R::Qt, ""},
    {"PGM - Portable gray map images", "/*.pgm", "Portable gray map images (*.pgm)", "*.pgm", 33, R::Qt, ""},
    {"PBM - Portable bitmap images", "/*.pbm", "Portable bitmap images (*.pbm)", "*.pbm", 34, R::Qt, ""},
    {"CEL - Autodesk images", "/*.cel", "Autodesk images (*.cel)", "*.cel", 35, R::Program, "CELFile"},
    {"PIC - Autodesk images", "/*.pic", "Autodesk images (*.pic)", "*.pic", 36, R::None, ""},
    {"PCD - Kodak Photo-CD images", "/*.pcd", "Kodak Photo-CD images (*.pcd)", "*.pcd", 37, R::None, ""},
    {"CUT - Dr. Halo images", "/*.cut", "Dr. Halo images (*.cut)", "*.cut", 38, R::None, ""},
    {"IFF - Amiga Bitmap Graphic (8 bits)", "/*.iff", "Amiga Bitmap Graphic (8 bits)", "*.iff", 39, R::Program, "IFFFile"},
    {"ICO - Windows icons", "/*.ico", "Windows icons (*.ico)", "*.ico", 40, R::Qt, ""},
    {"WMF - Windows metafiles", "/*.wmf", "Windows metafiles (*.wmf)", "*.wmf", 41, R::None, ""},
    {"EMF - Windows enhanced meta files", "/*.emf", "Windows enhanced meta files (*.emf)", "*.emf", 42, R::None, ""},
}};

constexpr std::array<SaveFormatRow, SaveFormatCount> kSaveRows = {{
    {"WSQ Files (*.wsq)", "*.wsq", ".wsq"},
    {"Windows BMP (*.bmp)", "*.bmp", ".bmp"},
    {"TIFF Files (*.tif)", "*.tif", ".tif"},
    {"PNG Files (*.png)", "*.png", ".png"},
    {"JPEG Files (*.jpg)", "*.jpg", ".jpg"},
    {"Targa Files (*.tga)", "*.tga", ".tga"},
    {"RGB Files (*.rgb)", "*.rgb", ".rgb"},
}};

}  // namespace

const std::array<FormatRow, FormatRowCount>& FormatPatterns() { return kRows; }

std::string_view row_extension(const FormatRow& row) {
  return row.pattern.size() > 2 ? row.pattern.substr(2) : std::string_view();
}

const std::array<SaveFormatRow, SaveFormatCount>& SaveFormatRows() { return kSaveRows; }
