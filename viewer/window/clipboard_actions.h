#pragma once
// The Edit menu of the main window: Copy puts the full-size image on the
// clipboard, Paste makes the clipboard's image the current one.
class TMainWSQForm;

// Fills the window's Edit menu hooks. Both handlers check their own
// conditions, so Ctrl+C and Ctrl+V work whether or not the menu was opened:
// the menu disables the entries only while it is open.
void ConnectClipboard(TMainWSQForm& window);
