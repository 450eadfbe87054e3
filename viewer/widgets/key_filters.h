#pragma once
// Key filters of the number edits: a filter sees each typed character with
// the edit's current text and refuses it or lets it through. Keys that type
// no character (arrows, Enter, Escape, Tab) and shortcuts always pass.
#include <QChar>
#include <QObject>
#include <QString>
#include <functional>

class QLineEdit;

// Backspace as the filters see it.
inline constexpr char16_t kBackspace = u'\b';

// Digits, backspace and one ".", while the text holds at most 61 characters.
bool decimal_key_allowed(const QString& text, QChar key);
// Digits and backspace, while the text holds at most 16 characters.
bool digit_key_allowed(const QString& text, QChar key);

using KeyRule = std::function<bool(const QString& text, QChar key)>;

// Applies rule to the key presses of edit (the filter is owned by edit).
void install_key_rule(QLineEdit* edit, KeyRule rule);

class KeyRuleFilter : public QObject {
  Q_OBJECT
 public:
  KeyRuleFilter(QLineEdit* edit, KeyRule rule);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* edit_;
  KeyRule rule_;
};
