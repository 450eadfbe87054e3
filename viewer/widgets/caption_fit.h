#pragma once
// Widens every label and button of a window whose caption would be cut at
// the current font to the width its caption needs (never narrower, never
// past the window's right edge).
class QWidget;

void fit_captions(QWidget* window);
