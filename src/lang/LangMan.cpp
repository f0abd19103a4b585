#include "LangMan.h"

#include "PragantDebug.h"
#include "SpinEdit.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>
#include <array>

namespace {

bool isExactly(const QWidget* w, const QMetaObject& cls) { return w->metaObject() == &cls; }

// Labels (images are labels with a pixmap here), speed buttons, edits and spin edits: their
// insides are not controls of the window, so the walk stops at them.
bool isLeafControl(const QWidget* w)
{
    static const std::array<const QMetaObject*, 4> leaves = {
        &QLabel::staticMetaObject, &QToolButton::staticMetaObject,
        &QLineEdit::staticMetaObject, &SpinEdit::staticMetaObject};
    return std::find(leaves.begin(), leaves.end(), w->metaObject()) != leaves.end();
}

// Qt builds some widgets out of helpers of its own (a tab widget's page stack and tab bar, a
// scroll area's viewport and scroll bars, a spin box's line edit, ...), all named "qt_...".
// They are no controls of the window. The two that hold the window's own widgets, the page
// stack and the viewport, are looked through; the others are left out with all they hold.
bool isLookedThrough(const QWidget* parent, const QWidget* child)
{
    if (qobject_cast<const QTabWidget*>(parent))
        return qobject_cast<const QStackedWidget*>(child)
            && child->objectName() == QLatin1StringView("qt_tabwidget_stackedwidget");
    if (auto* area = qobject_cast<const QAbstractScrollArea*>(parent))
        return child == area->viewport();
    return false;
}

bool isQtHelper(const QWidget* parent, const QWidget* child)
{
    if (child->objectName().startsWith(QLatin1StringView("qt_")))
        return true;
    auto* combo = qobject_cast<const QComboBox*>(parent);
    return combo && child == combo->lineEdit();
}

void appendChildControls(QWidget* parent, QList<QWidget*>& out);

void appendLookedThrough(QWidget* parent, QWidget* helper, QList<QWidget*>& out)
{
    // The stack's child order follows raising (the shown page goes last); pages go by index.
    if (auto* tabs = qobject_cast<QTabWidget*>(parent)) {
        for (int i = 0; i < tabs->count(); ++i)
            out.append(tabs->widget(i));
    } else {
        appendChildControls(helper, out);
    }
}

void appendChildControls(QWidget* parent, QList<QWidget*>& out)
{
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        // Windows parented here (dialogs, popups) translate themselves.
        if (!child || child->isWindow())
            continue;
        if (isLookedThrough(parent, child))
            appendLookedThrough(parent, child, out);
        else if (!isQtHelper(parent, child))
            out.append(child);
    }
}

// The tab widget whose page this widget is, if it is one.
QTabWidget* tabWidgetOfPage(QWidget* w)
{
    auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(w) >= 0 ? tabs : nullptr;
}

// The lines of a text; a final line end starts no further item.
QStringList itemLines(const QString& text)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineEnd);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void replaceItemsKeepingSelection(QComboBox* combo, const QString& text)
{
    // The selection stays what it was, so the rebuild is not reported as a change.
    const QSignalBlocker blocker(combo);
    const int selected = combo->currentIndex();
    combo->clear();
    combo->addItems(itemLines(text));
    combo->setCurrentIndex(selected < combo->count() ? selected : -1);
}

void applyText(QWidget* w, const QString& text)
{
    if (QTabWidget* tabs = tabWidgetOfPage(w)) {
        tabs->setTabText(tabs->indexOf(w), text);
    } else if (isExactly(w, QGroupBox::staticMetaObject)) {
        static_cast<QGroupBox*>(w)->setTitle(text);
    } else if (isExactly(w, QLabel::staticMetaObject)) {
        auto* label = static_cast<QLabel*>(w);
        if (label->pixmap().isNull()) // a label showing a picture is an image: no caption
            label->setText(text);
    } else if (isExactly(w, QPushButton::staticMetaObject)
               || isExactly(w, QCheckBox::staticMetaObject)
               || isExactly(w, QRadioButton::staticMetaObject)) {
        static_cast<QAbstractButton*>(w)->setText(text);
    } else if (isExactly(w, QLineEdit::staticMetaObject)) {
        // textChanged runs the edit's change handler, when the text really changes.
        static_cast<QLineEdit*>(w)->setText(text);
    } else if (isExactly(w, QComboBox::staticMetaObject)) {
        replaceItemsKeepingSelection(static_cast<QComboBox*>(w), text);
    }
}

} // namespace

LangMan::LangMan(QWidget* root) { CollectControls(root); }

void LangMan::CollectControls(QWidget* control)
{
    if (!control)
        return;
    m_controls.append(control);
    if (isLeafControl(control))
        return;
    qCDebug(lcPragantDebug).noquote()
        << QLatin1StringView(control->metaObject()->className()) + QLatin1StringView(", ")
               + control->objectName();
    QList<QWidget*> children;
    appendChildControls(control, children);
    for (QWidget* child : children)
        CollectControls(child);
}

std::optional<QString> LangMan::Lookup(const QString& key) const
{
    for (int i = 0; i < m_count; ++i) {
        if (key == QLatin1StringView(m_table[i].key))
            return QString::fromUtf8(m_table[i].text);
    }
    return std::nullopt;
}

QString LangMan::normaliseLanguageCode(const QString& code)
{
    return code.isEmpty() ? QStringLiteral("hu") : code.toLower();
}

void LangMan::ApplyLanguage(const QString& code)
{
    const LangTable selected = langTableFor(normaliseLanguageCode(code).toStdString());
    m_table = selected.rows;
    m_count = selected.count;

    // A handler run by an edit's change may delete controls; QPointer lets the loop skip them.
    const ControlList controls = m_controls;
    for (const QPointer<QWidget>& w : controls) {
        if (!w)
            continue;
        if (const std::optional<QString> text = Lookup(w->objectName()))
            applyText(w, *text);
        if (w)
            w->update();
    }
}
