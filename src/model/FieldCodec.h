#pragma once
// The only conversion between property text (code page 1250 bytes) and a field's value.
// Kinds are recognised by exact class: QLabel, QLineEdit, SpinEdit, QCheckBox, QComboBox
// (not editable), QSlider (track bar) and QRadioButton; any other class, derived ones
// included, is left alone and reads as "".
//
// Notifications: an edit or spin edit emits textChanged only when its text really changes,
// a check box or radio button emits toggled only when its state really changes. Selecting
// a combo item here emits currentIndexChanged but never activated: the window connects its
// user-pick handlers to QComboBox::activated, so a programmatic selection runs none of them.
//
// Handler contract: change handlers run synchronously inside SetControlValue. They must not
// throw (an exception must never unwind through Qt's signal code); a handler that cannot
// convert a value stops early instead, and the field keeps the new text. SetControlValue
// still swallows any exception of its own conversion, so it never fails towards its caller.

#include <QByteArray>

class QWidget;

void SetControlValue(QWidget* field, const QByteArray& text);
QByteArray GetControlValue(const QWidget* field);
