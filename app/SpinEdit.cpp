#include "app/SpinEdit.h"

#include <algorithm>

QValidator::State TSpinEdit::validate(QString& text, int& pos) const {
  const QValidator::State state = QSpinBox::validate(text, pos);
  if (state != QValidator::Invalid) return state;
  // A whole number beyond the range may still be typed; fixup takes it to
  // the range when the edit ends.
  bool ok = false;
  locale().toLongLong(text.trimmed(), &ok);
  return ok ? QValidator::Intermediate : QValidator::Invalid;
}

void TSpinEdit::fixup(QString& text) const {
  bool ok = false;
  const qlonglong typed = locale().toLongLong(text.trimmed(), &ok);
  if (ok) {
    const qlonglong clamped = std::clamp<qlonglong>(typed, minimum(), maximum());
    text = locale().toString(clamped);
    return;
  }
  QSpinBox::fixup(text);
}
