#include "viewer/dialogs/image_properties_dialog.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

TImagePropertiesDialog::TImagePropertiesDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("ImagePropertiesDialog");
  setWindowTitle("Image properties");
  resize(520, 480);
  PropertiesTable = new QTableWidget(0, 2, this);
  PropertiesTable->setObjectName("PropertiesTable");
  PropertiesTable->setHorizontalHeaderLabels({"Name", "Value"});
  PropertiesTable->horizontalHeader()->setStretchLastSection(true);
  PropertiesTable->verticalHeader()->hide();
  PropertiesTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  PropertiesTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  PropertiesTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* copy_selection = new QAction(PropertiesTable);
  copy_selection->setShortcut(QKeySequence::Copy);
  copy_selection->setShortcutContext(Qt::WidgetShortcut);
  PropertiesTable->addAction(copy_selection);
  connect(copy_selection, &QAction::triggered, this, [this] { QGuiApplication::clipboard()->setText(selected_text()); });
  CommentsMemo = new QPlainTextEdit(this);
  CommentsMemo->setObjectName("CommentsMemo");
  CommentsMemo->setReadOnly(true);
  CommentsMemo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  CopyButton = new QPushButton("&Copy", this);
  CloseButton = new QPushButton("Close", this);
  CloseButton->setDefault(true);
  connect(CopyButton, &QPushButton::clicked, this, [this] { QGuiApplication::clipboard()->setText(selected_text()); });
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(CopyButton);
  buttons->addWidget(CloseButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PropertiesTable, 3);
  layout->addWidget(new QLabel("Other comments", this));
  layout->addWidget(CommentsMemo, 1);
  layout->addLayout(buttons);
}

void TImagePropertiesDialog::add_row(const QString& name, const QString& value) {
  const int row = PropertiesTable->rowCount();
  PropertiesTable->insertRow(row);
  PropertiesTable->setItem(row, 0, new QTableWidgetItem(name));
  PropertiesTable->setItem(row, 1, new QTableWidgetItem(value));
}

void TImagePropertiesDialog::show_properties(const PropertyRows& general, const PropertyRows& nistcom,
                                             const QStringList& comments) {
  PropertiesTable->setRowCount(0);
  for (const auto& [name, value] : general) add_row(name, value);
  if (!nistcom.empty()) add_row("NISTCOM", QString());
  for (const auto& [name, value] : nistcom) add_row(name, value);
  PropertiesTable->resizeColumnToContents(0);
  CommentsMemo->setPlainText(comments.join("\n\n"));
}

QString TImagePropertiesDialog::selected_text() const {
  std::set<int> rows;
  for (const QModelIndex& index : PropertiesTable->selectionModel()->selectedRows()) rows.insert(index.row());
  if (rows.empty())
    for (int row = 0; row < PropertiesTable->rowCount(); ++row) rows.insert(row);
  PropertyRows chosen;
  for (int row : rows) chosen.emplace_back(PropertiesTable->item(row, 0)->text(), PropertiesTable->item(row, 1)->text());
  return rows_as_text(chosen);
}
