#pragma once
// The seven output formats of the save flow, by the save dialog's 1-based
// filter index.
#include <QString>

enum SaveFormat : int {
  SaveWsq = 1,
  SaveBmp = 2,
  SaveTiff = 3,
  SavePng = 4,
  SaveJpeg = 5,
  SaveTarga = 6,
  SaveSgiRgb = 7,
};

// The extension (with its dot) the format gives its files; empty for an unknown index.
QString save_format_extension(int filter_index);

// The save dialog's file name with its extension replaced by the format's.
QString OutputName(const QString& file_name, int filter_index);

// What the save dialog proposes for the current file: its folder and name
// with the format's extension (empty when there is no current file).
QString proposed_save_name(const QString& current_file, int filter_index);
