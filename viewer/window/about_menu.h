#pragma once
// Help > About of the main window shows the About box modally.
class TAboutForm;
class TMainWSQForm;

void ConnectAboutBox(TMainWSQForm& window, TAboutForm& about);
