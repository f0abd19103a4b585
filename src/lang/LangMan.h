#pragma once
// Puts the texts of one language table into the controls of a window, and answers single-key
// lookups in the language applied last. The controls are collected once, when the manager is
// made; controls created later are not translated.

#include "LangTables.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

// The collected controls in collection order; the list owns none of them.
using ControlList = QList<QPointer<QWidget>>;

class LangMan
{
public:
    explicit LangMan(QWidget* root);
    LangMan(const LangMan&) = delete;
    LangMan& operator=(const LangMan&) = delete;

    // Depth-first pre-order walk: appends the control, then (unless it is a label, speed
    // button, edit or spin edit of exactly that class) writes one trace line and walks its
    // children in their order.
    void CollectControls(QWidget* control);

    // The key's text in the table applied last (case-sensitive, whole key); nothing when the
    // key has no row or no language was applied yet.
    std::optional<QString> Lookup(const QString& key) const;

    // Selects the table for the code ("" means Hungarian; letter case does not matter; no
    // trimming) and writes its texts into the collected controls.
    void ApplyLanguage(const QString& code);

    static QString normaliseLanguageCode(const QString& code);

    const ControlList& controls() const { return m_controls; }
    const LangEntry* table() const { return m_table; }
    int count() const { return m_count; }

private:
    ControlList m_controls;
    const LangEntry* m_table = nullptr;
    int m_count = 0;
};
