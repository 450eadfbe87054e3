#include "viewer/widgets/key_filters.h"

#include <QKeyEvent>
#include <QLineEdit>

static bool is_digit(QChar key) { return key >= u'0' && key <= u'9'; }

bool decimal_key_allowed(const QString& text, QChar key) {
  if (text.size() > 61) return false;
  if (is_digit(key) || key == kBackspace) return true;
  return key == u'.' && !text.contains(u'.');
}

bool digit_key_allowed(const QString& text, QChar key) {
  if (text.size() > 16) return false;
  return is_digit(key) || key == kBackspace;
}

void install_key_rule(QLineEdit* edit, KeyRule rule) { edit->installEventFilter(new KeyRuleFilter(edit, std::move(rule))); }

KeyRuleFilter::KeyRuleFilter(QLineEdit* edit, KeyRule rule) : QObject(edit), edit_(edit), rule_(std::move(rule)) {}

// The character a key press types, or a null character when it types none.
static QChar typed_character(const QKeyEvent& event) {
  if (event.key() == Qt::Key_Backspace) return QChar(kBackspace);
  if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return QChar();
  const QString text = event.text();
  if (text.isEmpty() || !text.front().isPrint()) return QChar();
  return text.front();
}

bool KeyRuleFilter::eventFilter(QObject* watched, QEvent* event) {
  if (watched != edit_ || event->type() != QEvent::KeyPress) return false;
  const QChar key = typed_character(*static_cast<QKeyEvent*>(event));
  return !key.isNull() && !rule_(edit_->text(), key);
}
