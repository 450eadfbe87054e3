#pragma once
// The filters of the open and save dialogs: the classic "description|pattern|"
// text, and the same entries in the form Qt's file dialogs take.
#include <QString>
#include <QStringList>

// The 43 open-dialog entries as "description|pattern|" pairs, ending with a separator.
QString open_dialog_filter_text();
// The 7 save-dialog entries; the 1-based index of an entry is the output format.
QString save_dialog_filter_text();

// Filter text pairs as Qt name filters, "description (pattern pattern ...)".
QStringList qt_name_filters(const QString& filter_text);
