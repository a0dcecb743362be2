// The window's spin edits: whole numbers in a range, as QSpinBox, except
// that a number typed beyond the range is taken to the nearest bound when
// the edit is finished (600 in a field of 10 to 500 gives 500). QSpinBox
// refuses the keystroke instead, so that 600 became 60.
#pragma once

#include <QSpinBox>

class TSpinEdit : public QSpinBox {
  Q_OBJECT

 public:
  using QSpinBox::QSpinBox;

 protected:
  QValidator::State validate(QString& text, int& pos) const override;
  void fixup(QString& text) const override;
};
