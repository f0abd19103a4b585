#include "ControlDesc.h"

#include "SettingsSchema.h"

#include <QDebug>
#include <QWidget>

void ControlDescList::append(const QByteArray& key, QWidget* control)
{
    m_entries.push_back(ControlDesc{key, control});
}

const ControlDesc* ControlDescList::Find(const QByteArray& key) const
{
    for (const ControlDesc& entry : m_entries) {
        if (entry.key == key)
            return &entry;
    }
    return nullptr;
}

namespace {
ControlDescList buildDescs(QWidget* root, const std::vector<SchemaBinding>& schema)
{
    ControlDescList list;
    for (const SchemaBinding& binding : schema) {
        const QString name = QString::fromStdString(binding.field);
        QWidget* field = root ? root->findChild<QWidget*>(name) : nullptr;
        if (!field)
            qWarning("No field %s for the key %s", qPrintable(name), binding.key.c_str());
        list.append(QByteArray::fromStdString(binding.key), field);
    }
    return list;
}
} // namespace

ControlDescList buildSettingsDescs(QWidget* root) { return buildDescs(root, settingsSchema()); }

ControlDescList buildStatusDescs(QWidget* root) { return buildDescs(root, statusSchema()); }
