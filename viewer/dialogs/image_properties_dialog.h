#pragma once
// Image properties: a name/value table (the general rows, then every field
// of a WSQ file's NISTCOM comment) and the texts of its other comments,
// all selectable and copyable.
#include <QDialog>
#include <QStringList>

#include "viewer/logic/picture_properties.h"

class QPlainTextEdit;
class QPushButton;
class QTableWidget;

class TImagePropertiesDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TImagePropertiesDialog(QWidget* parent = nullptr);

  // general rows first, then the NISTCOM fields under a heading row.
  void show_properties(const PropertyRows& general, const PropertyRows& nistcom, const QStringList& comments);
  // The selected table rows (all rows when none is selected) as text.
  QString selected_text() const;

  QTableWidget* PropertiesTable;
  QPlainTextEdit* CommentsMemo;
  QPushButton* CopyButton;
  QPushButton* CloseButton;

 private:
  void add_row(const QString& name, const QString& value);
};
