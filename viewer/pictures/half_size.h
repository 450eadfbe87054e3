#pragma once
// A picture at half its width and height, each pixel the rounded mean of a
// 2 x 2 block (the last row or column of an odd side is dropped).
#include <QImage>

QImage half_size(const QImage& picture);
