#pragma once
// Folder browsing in the main window: every attended open rebuilds the
// browse list from the opened file's directory, and Page Up, Page Down, Home
// and End open the previous, next, first and last image of that list.
class FolderBrowser;
class TMainWSQForm;

void ConnectFolderBrowsing(TMainWSQForm& window, FolderBrowser& browser);
