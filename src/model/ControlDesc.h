#pragma once
// Bindings of property keys to the fields that hold their values, in table order.

#include <QByteArray>

#include <vector>

class QWidget;

struct ControlDesc {
    QByteArray key;             // exactly as sent to the device
    QWidget* control = nullptr; // not owned; nullptr when the field is missing (consumers skip it)
};

class ControlDescList
{
public:
    void append(const QByteArray& key, QWidget* control);
    int count() const { return static_cast<int>(m_entries.size()); }
    const ControlDesc& at(int index) const { return m_entries.at(static_cast<size_t>(index)); }
    // Exact, case-sensitive match on the first entry with the key; nullptr when none.
    const ControlDesc* Find(const QByteArray& key) const;

private:
    std::vector<ControlDesc> m_entries;
};

// Bind every schema key to root's descendant named after its field; a missing field is
// logged and left nullptr.
ControlDescList buildSettingsDescs(QWidget* root);
ControlDescList buildStatusDescs(QWidget* root);
