#pragma once
// The logo of the About box, drawn in code: a stylised fingerprint beside the
// program's initials.
#include <QPixmap>

QPixmap DrawAboutLogo(int width, int height);
