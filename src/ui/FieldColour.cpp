#include "FieldColour.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace {
QColor appColour(QPalette::ColorRole role) { return QApplication::palette().color(role); }
} // namespace

QColor clWindow() { return appColour(QPalette::Base); }
QColor cl3DLight() { return appColour(QPalette::Midlight); }
QColor clBtnFace() { return appColour(QPalette::Button); }
QColor clBtnShadow() { return appColour(QPalette::Dark); }
QColor clWindowText() { return appColour(QPalette::Text); }

void setFieldColour(QWidget* field, const QColor& colour)
{
    QPalette p = field->palette();
    p.setColor(QPalette::Base, colour); // every colour group, so disabled fields show it too
    field->setPalette(p);
}

QColor fieldColour(const QWidget* field) { return field->palette().color(QPalette::Base); }

void setPanelColours(QWidget* panel, const QColor& background, const QColor& text)
{
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, text);
    panel->setAutoFillBackground(true);
    panel->setPalette(p);
    // The window's style sheet stops palette inheritance, so the label filling the panel is
    // given the same colours.
    for (QLabel* label : panel->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        label->setPalette(p);
}

QColor panelColour(const QWidget* panel) { return panel->palette().color(QPalette::Window); }
QColor panelFontColour(const QWidget* panel)
{
    return panel->palette().color(QPalette::WindowText);
}
