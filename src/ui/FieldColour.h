#pragma once
// A field's background colour is its validation state; it is set and read only here.

#include <QColor>

class QWidget;

QColor clWindow();  // the normal edit background
QColor cl3DLight(); // the window's own background
QColor clBtnFace();
QColor clBtnShadow();
QColor clWindowText();
inline QColor clRed() { return QColor(255, 0, 0); }
inline QColor clGreen() { return QColor(0, 128, 0); }
inline QColor clYellow() { return QColor(255, 255, 0); }
inline QColor clWhite() { return QColor(255, 255, 255); }
inline QColor clBlack() { return QColor(0, 0, 0); }

void setFieldColour(QWidget* field, const QColor& colour);
QColor fieldColour(const QWidget* field);

// A panel's background and font colour; the label filling it takes both from it.
void setPanelColours(QWidget* panel, const QColor& background, const QColor& text);
QColor panelColour(const QWidget* panel);
QColor panelFontColour(const QWidget* panel);
