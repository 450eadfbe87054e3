#pragma once
// An error of the kind a GUI toolkit raises itself (a file that cannot be
// opened, a reader refusing its data, a text that is not a number). Handlers
// let it escape; the window's exception report shows its text and the
// program goes on.
#include <QString>
#include <stdexcept>

class ToolkitError : public std::runtime_error {
 public:
  explicit ToolkitError(const QString& message) : std::runtime_error(message.toStdString()) {}
  QString text() const { return QString::fromStdString(what()); }
};
